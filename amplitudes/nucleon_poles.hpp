// s- and u-channel nucleon pole amplitudes of kavrin-regge for one set of spinors and photon polarization.
// ps = 1 selects the pseudoscalar pion-nucleon vertex i gpnn gamma5, any other value the pseudovector
// i gpnn k2-slash gamma5. The s channel is u2b (pion vertex)(qs-slash + m)(photon vertex) u1/(s - m^2),
// the u channel u2b (photon vertex)(qu-slash + m)(pion vertex) u1/(u - m^2), both times ec ff_h.
// ms_n/mu_n use the gauge-restoring photon vertex v_gnn, ms_nn/mu_nn the plain v_gnn_n.
#pragma once

#include "kernel/dirac.hpp"

namespace kavrin {

cplx ms_n(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const DiracSpinor& u2b,
          const DiracSpinor& u1, const FourVector& ep, double chs, double gts, double gpnn, cplx s,
          const FourVector& qs, const FourVector& k1, const FourVector& k2, double m);
cplx ms_nn(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const DiracSpinor& u2b, const DiracSpinor& u1,
           const FourVector& ep, double chs, double gts, double gpnn, cplx s, const FourVector& qs,
           const FourVector& k1, const FourVector& k2, double m);
cplx mu_n(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const DiracSpinor& u2b,
          const DiracSpinor& u1, const FourVector& ep, double chu, double gtu, double gpnn, cplx u,
          const FourVector& qu, const FourVector& k1, const FourVector& k2, double m);
cplx mu_nn(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const DiracSpinor& u2b, const DiracSpinor& u1,
           const FourVector& ep, double chu, double gtu, double gpnn, cplx u, const FourVector& qu,
           const FourVector& k1, const FourVector& k2, double m);

/// Gamma with ms_n = u2b . Gamma . u1 (independent of the spinors).
DiracMatrix ms_n_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep,
                        double chs, double gts, double gpnn, cplx s, const FourVector& qs, const FourVector& k1,
                        const FourVector& k2, double m);
/// Gamma of ms_nn.
DiracMatrix ms_nn_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chs,
                         double gts, double gpnn, cplx s, const FourVector& qs, const FourVector& k1,
                         const FourVector& k2, double m);
/// Gamma of mu_n.
DiracMatrix mu_n_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f10, cplx f2, double qq, const FourVector& ep,
                        double chu, double gtu, double gpnn, cplx u, const FourVector& qu, const FourVector& k1,
                        const FourVector& k2, double m);
/// Gamma of mu_nn.
DiracMatrix mu_nn_matrix(int ps, double ec, cplx ff_h, cplx f1, cplx f2, const FourVector& ep, double chu,
                         double gtu, double gpnn, cplx u, const FourVector& qu, const FourVector& k1,
                         const FourVector& k2, double m);

}  // namespace kavrin
