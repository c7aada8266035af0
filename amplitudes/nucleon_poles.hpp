// s- and u-channel nucleon pole amplitudes of the Regge model, as Dirac matrices Gamma with
// amplitude = u2b Gamma u1 (independent of the nucleon spins). The pion-nucleon vertex is the pseudoscalar
// i gpnn gamma5. The s channel is (pion vertex)(qs-slash + m)(photon vertex)/(s - m^2), the u channel
// (photon vertex)(qu-slash + m)(pion vertex)/(u - m^2), both times ec ff_h. ms_n/mu_n use the
// gauge-restoring photon vertex v_gnn, ms_nn/mu_nn the plain v_gnn_n.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

DiracMatrix ms_n_matrix(double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep, double chs,
                        double gts, double gpnn, cplx s, const FourVector& qs, const FourVector& k1, double m);
DiracMatrix ms_nn_matrix(double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chs, double gts,
                         double gpnn, cplx s, const FourVector& qs, const FourVector& k1, double m);
DiracMatrix mu_n_matrix(double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep, double chu,
                        double gtu, double gpnn, cplx u, const FourVector& qu, const FourVector& k1, double m);
DiracMatrix mu_nn_matrix(double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chu, double gtu,
                         double gpnn, cplx u, const FourVector& qu, const FourVector& k1, double m);

}  // namespace kavrin
