// The library's point functions against the programs: each built program runs on an answer file in a
// scratch directory, and every line of its result files is compared with the library evaluated at the
// same W, Q^2 and angle, given in GeV, GeV^2 and radians as a user gives them. Where the program's W, Q^2
// and angle are the answered values themselves the numbers must be identical; where the program steps W or
// Q^2 in MeV (and the user gives GeV) they agree to 1e-15 relative.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <thread>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "api_fixtures.hpp"
#include "kavrin/models.hpp"
#include "kavrin/observables.hpp"
#include "kavrin/regge.hpp"

namespace fs = std::filesystem;
using kavrin::Angle;
using kavrin::fixtures::pip_dipole;
using kavrin::fixtures::table_file;
using kavrin::Observables;

namespace {

/// pi of both programs' angle loops (single precision).
constexpr double pi_single = double(3.1415927f);

struct Row {
    double x, y;
};

// One run of a program in a fresh directory that holds the Gauss-Legendre table.
class ProgramRun {
public:
    ProgramRun(const std::string& binary, const std::string& answers) {
        std::string tmpl = (fs::temp_directory_path() / "kavrin-api-run-XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        fs::create_directories(dir_ / "integral");
        fs::copy_file(table_file, dir_ / "integral/gauss-legendre100.dat");
        std::ofstream(dir_ / "answers.in") << answers;
        const std::string cmd =
            "cd '" + dir_.string() + "' && '" + binary + "' < answers.in > transcript.txt 2> stderr.txt";
        const int raw = std::system(cmd.c_str());
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    ~ProgramRun() { fs::remove_all(dir_); }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    std::vector<Row> rows(const std::string& name) const {
        std::vector<Row> out;
        std::ifstream in(dir_ / name);
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string a, b;
            fields >> a >> b;
            out.push_back({std::strtod(a.c_str(), nullptr), std::strtod(b.c_str(), nullptr)});
        }
        return out;
    }

    int status = -1;

private:
    fs::path dir_;
};

// file == library, both NaN, or (rel > 0) equal to rel relative.
::testing::AssertionResult same(double file, double library, double rel) {
    if (std::isnan(file) && std::isnan(library)) return ::testing::AssertionSuccess();
    if (rel == 0.0 ? file == library
                   : std::abs(file - library) <= rel * std::max(std::abs(file), std::abs(library)))
        return ::testing::AssertionSuccess();
    std::ostringstream msg;
    msg.precision(17);
    msg << "file " << file << " library " << library;
    return ::testing::AssertionFailure() << msg.str();
}

// Checks one result file line by line: the x and y the library gives for the point of line i.
void expect_file(const ProgramRun& run, const std::string& name, std::size_t lines,
                 const std::function<Observables(std::size_t)>& point, const std::function<double(const Observables&)>& x,
                 const std::function<double(const Observables&)>& y, double rel = 0.0) {
    const std::vector<Row> rows = run.rows(name);
    ASSERT_EQ(rows.size(), lines) << name;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Observables o = point(i);
        EXPECT_TRUE(same(rows[i].x, x(o), rel)) << name << " line " << i + 1 << " x";
        EXPECT_TRUE(same(rows[i].y, y(o), rel)) << name << " line " << i + 1 << " y";
    }
}

using Get = std::function<double(const Observables&)>;
const Get minus_t = [](const Observables& o) { return -o.t; };
const Get t0_minus_t = [](const Observables& o) { return o.t0_minus_t; };
const Get cos_theta = [](const Observables& o) { return o.cos_theta; };

// The six cross sections in the order of the programs' files.
const std::vector<std::pair<const char*, Get>> domega = {
    {"dST", [](const Observables& o) { return o.dsigma_domega.t; }},
    {"dSL", [](const Observables& o) { return o.dsigma_domega.l; }},
    {"dSTT", [](const Observables& o) { return o.dsigma_domega.tt; }},
    {"dSLT", [](const Observables& o) { return o.dsigma_domega.lt; }},
    {"dSLTP", [](const Observables& o) { return o.dsigma_domega.ltp; }},
    {"dSU", [](const Observables& o) { return o.dsigma_domega.u; }}};
const std::vector<std::pair<const char*, Get>> per_t = {
    {"dST", [](const Observables& o) { return o.dsigma_dt.t; }},
    {"dSL", [](const Observables& o) { return o.dsigma_dt.l; }},
    {"dSTT", [](const Observables& o) { return o.dsigma_dt.tt; }},
    {"dSLT", [](const Observables& o) { return o.dsigma_dt.lt; }},
    {"dSLTP", [](const Observables& o) { return o.dsigma_dt.ltp; }},
    {"dSU", [](const Observables& o) { return o.dsigma_dt.u; }}};

// kavrin-regge writes dsigma_LT' with the opposite sign of the library's (one sign for every model, that of
// kavrin-models): its dSLTP files hold the negated value.
std::vector<std::pair<const char*, Get>> in_regge_files(std::vector<std::pair<const char*, Get>> list) {
    for (auto& [name, get] : list)
        if (std::string(name) == "dSLTP") get = [g = get](const Observables& o) { return -g(o); };
    return list;
}
const std::vector<std::pair<const char*, Get>> regge_domega = in_regge_files(domega);
const std::vector<std::pair<const char*, Get>> regge_per_t = in_regge_files(per_t);

const kavrin::regge::GaussLegendreTable& table() {
    static const kavrin::regge::GaussLegendreTable t = kavrin::regge::load_gauss_legendre_table(table_file);
    return t;
}


// The angle of line i of a whole-degree angle scan.
Angle degree(std::size_t i) { return Angle::theta(static_cast<double>(i) * pi_single / 180.0); }

}  // namespace

// The typical run: pi+ n, dipole form factors, -t scan at W = 2.22 GeV, Q^2 = 1.60 GeV^2: all 20 files.
TEST(ApiAgreesWithKavrinRegge, DipoleThetaScanEveryFileIdentical) {
    const ProgramRun run(KAVRIN_REGGE_BINARY, "1\n2\n1.55\n1\n775\n1\n1\n2\n9\n2.22\n1.60\n0.5\n1\n");
    ASSERT_EQ(run.status, 0);
    const kavrin::regge::Model model{kavrin::regge::Settings(pip_dipole())};
    const kavrin::regge::FixedWQ2 at = model.at(2.22, 1.60);
    const auto point = [&](std::size_t i) { return at.evaluate(degree(i)); };
    for (const auto& [name, get] : regge_domega) expect_file(run, std::string(name) + "_domega.dat", 181, point, minus_t, get);
    for (const auto& [name, get] : regge_per_t) {
        expect_file(run, std::string(name) + ".dat", 181, point, minus_t, get);
        expect_file(run, std::string(name) + "-T0.dat", 181, point, t0_minus_t, get);
    }
    expect_file(run, "dSL_over_dST.dat", 181, point, minus_t, [](const Observables& o) { return o.lt_ratio; });
    expect_file(run, "BSA.dat", 181, point, minus_t, [](const Observables& o) { return o.bsa; });
    // the one-call point function is the same as the two-step one
    const Observables direct = model.evaluate(2.22, 1.60, degree(37));
    EXPECT_EQ(direct.dsigma_dt.u, point(37).dsigma_dt.u);
    EXPECT_EQ(direct.amplitudes[2].zero, point(37).amplitudes[2].zero);
}

// pi- p with GPD form factors, F2 off, a1 negative, nanobarn, cos(theta) scan over the small range.
TEST(ApiAgreesWithKavrinRegge, GpdCosThetaScanInNanobarn) {
    const ProgramRun run(KAVRIN_REGGE_BINARY, "2\n1\n1.105\n2\n710\n2\n1\n1\n10\n2.4\n2.0\n0.7\n2\n");
    ASSERT_EQ(run.status, 0);
    using namespace kavrin::regge;
    Options o;
    o.channel = Channel::pi_minus_p;
    o.form_factors = FormFactors::gpd;
    o.gpd_slope_per_gev2 = 1.105;
    o.pauli_terms = false;
    o.pion_cutoff_mev = 710.0;
    o.a1_sign = A1Sign::negative;
    o.epsilon = 0.7;
    o.unit = kavrin::CrossSectionUnit::nanobarn;
    const Model model(Settings(o), table());
    const FixedWQ2 at = model.at(2.4, 2.0);
    const auto point = [&](std::size_t i) { return at.evaluate(degree(i)); };
    for (const auto& [name, get] : regge_domega) expect_file(run, std::string(name) + "_domega.dat", 46, point, cos_theta, get);
    for (const auto& [name, get] : regge_per_t) expect_file(run, std::string(name) + ".dat", 46, point, cos_theta, get);
    expect_file(run, "BSA.dat", 46, point, cos_theta, [](const Observables& x) { return x.bsa; });
    EXPECT_EQ(point(10).unit, kavrin::CrossSectionUnit::nanobarn);
}

// The neutral channels: pi0 p with Born terms and GPD form factors (fixed slope), degenerate omega phase;
// pi0 n without Born terms.
TEST(ApiAgreesWithKavrinRegge, NeutralChannelsWithAndWithoutBornTerms) {
    using namespace kavrin::regge;
    {
        const ProgramRun run(KAVRIN_REGGE_BINARY, "3\n2\n775\n1\n1\n1\n1\n2\n9\n2.5\n2.0\n0.5\n1\n");
        ASSERT_EQ(run.status, 0);
        Options o;
        o.channel = Channel::pi0_p;
        o.omega_phase = OmegaPhase::degenerate;
        o.omega_cutoff_mev = 775.0;
        o.born_terms = true;
        o.form_factors = FormFactors::gpd;
        o.pauli_terms = true;
        o.epsilon = 0.5;
        const Model model(Settings(o), table());
        const auto point = [&](std::size_t i) { return model.evaluate(2.5, 2.0, degree(i)); };
        for (const auto& [name, get] : regge_per_t) expect_file(run, std::string(name) + ".dat", 181, point, minus_t, get);
        expect_file(run, "BSA.dat", 181, point, minus_t, [](const Observables& x) { return x.bsa; });
    }
    {
        const ProgramRun run(KAVRIN_REGGE_BINARY, "4\n1\n800\n2\n1\n2\n9\n2.3\n1.2\n0.3\n2\n");
        ASSERT_EQ(run.status, 0);
        Options o;
        o.channel = Channel::pi0_n;
        o.omega_phase = OmegaPhase::non_degenerate;
        o.omega_cutoff_mev = 800.0;
        o.born_terms = false;
        o.epsilon = 0.3;
        o.unit = kavrin::CrossSectionUnit::nanobarn;
        const Model model{Settings(o)};  // no table: the form factors do not enter
        const auto point = [&](std::size_t i) { return model.evaluate(2.3, 1.2, degree(i)); };
        for (const auto& [name, get] : regge_domega)
            expect_file(run, std::string(name) + "_domega.dat", 181, point, minus_t, get);
    }
}

// DDS in the JLab convention at phi = 30 degrees along a theta scan: "ddS_T.dat" and "ddS_domega.dat".
TEST(ApiAgreesWithKavrinRegge, DdsAtFixedPhi) {
    const ProgramRun run(KAVRIN_REGGE_BINARY, "1\n2\n1.55\n1\n775\n1\n3\n2\n5\n0.6\n5\n2.21\n1.6\n30\n1\n");
    ASSERT_EQ(run.status, 0);
    using namespace kavrin::regge;
    Options o = pip_dipole();
    o.epsilon = 0.6;
    o.dds = Dds{DdsType::jlab, 30.0 * pi_single / 180.0, std::nullopt, std::nullopt};
    const Model model{Settings(o)};
    const auto point = [&](std::size_t i) { return model.evaluate(2.21, 1.6, degree(i)); };
    expect_file(run, "ddS_T.dat", 181, point, minus_t, [](const Observables& x) { return x.dds_dt; });
    expect_file(run, "ddS_domega.dat", 181, point, minus_t, [](const Observables& x) { return x.dds_domega; });
}

// The phi scan of DDS input mode 1 (Cornell fixed phi) at -t = 0.55 GeV^2 given as -t: 360 lines each of
// "ddS_PHI.dat" (per GeV^2) and "ddS_domega.dat" (per sr).
TEST(ApiAgreesWithKavrinRegge, DdsPhiScanAtFixedMinusT) {
    const ProgramRun run(KAVRIN_REGGE_BINARY, "1\n2\n1.55\n1\n775\n1\n3\n2\n2\n0.6\n1\n2.21\n1.6\n0.55\n1\n");
    ASSERT_EQ(run.status, 0);
    using namespace kavrin::regge;
    Options o = pip_dipole();
    o.epsilon = 0.6;
    o.dds = Dds{DdsType::cornell_fixed, std::nullopt, std::nullopt, std::nullopt};
    const Settings settings(o);
    const Observables p = Model(settings).evaluate(2.21, 1.6, Angle::minus_t(0.55));
    EXPECT_NEAR(-p.t, 0.55, 1e-12);
    EXPECT_TRUE(std::isnan(p.dds_domega));  // Cornell fixed needs phi: not determined at the point itself
    const auto phi = [](std::size_t i) { return static_cast<double>(i + 1) * pi_single / 180.0; };
    const auto at = [&](std::size_t) { return p; };
    const std::vector<Row> per_sr = run.rows("ddS_domega.dat");
    const std::vector<Row> per_gev2 = run.rows("ddS_PHI.dat");
    ASSERT_EQ(per_sr.size(), 360u);
    ASSERT_EQ(per_gev2.size(), 360u);
    for (std::size_t i = 0; i < 360; ++i) {
        const double ds = phi_dependent_cross_section(settings, at(i), phi(i));
        EXPECT_EQ(per_sr[i].x, static_cast<double>(i + 1));
        // the program takes theta from t through cos theta = (t - m^2 + Q^2 + 2 E_k E_q)/(2 k p), the library
        // through t - t(90 deg): the angles may differ in the last bit
        EXPECT_TRUE(same(per_sr[i].y, ds, 1e-15)) << "phi " << i + 1;
        EXPECT_TRUE(same(per_gev2[i].y, ds * p.dt_per_domega, 1e-15)) << "phi " << i + 1;
    }
}

// CEA with answered cosines along the Q^2 scan of input mode 7 (W = 2.3 GeV, theta = 7.2 degrees).
TEST(ApiAgreesWithKavrinRegge, CeaCosinesAlongQ2Scan) {
    const ProgramRun run(KAVRIN_REGGE_BINARY, "1\n2\n1.55\n1\n775\n1\n3\n2\n4\n0.8\n7\n2.3\n7.2\n0.3\n-0.82\n1\n");
    ASSERT_EQ(run.status, 0);
    using namespace kavrin::regge;
    Options o = pip_dipole();
    o.epsilon = 0.8;
    o.dds = Dds{DdsType::cea, std::nullopt, 0.3, -0.82};
    const Model model{Settings(o)};
    const std::vector<Row> rows = run.rows("ddS_domega.dat");
    ASSERT_EQ(rows.size(), 396u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Observables p = model.evaluate(2.3, rows[i].x, Angle::theta(7.2 * pi_single / 180.0));
        EXPECT_TRUE(same(rows[i].x, p.q2, 1e-15)) << i;
        // Q^2 goes through MeV^2 and back: the cross section follows it to a few units of 1e-15
        EXPECT_TRUE(same(rows[i].y, p.dds_domega, 1e-13)) << "Q^2 = " << rows[i].x;
    }
}

// A W scan at fixed -t = 0.3 GeV^2 (mode 1), the angle given to the library as -t.
TEST(ApiAgreesWithKavrinRegge, WScanAtFixedMinusT) {
    const ProgramRun run(KAVRIN_REGGE_BINARY, "1\n2\n1.55\n1\n775\n1\n1\n2\n1\n2.6\n1.6\n0.3\n0.5\n1\n");
    ASSERT_EQ(run.status, 0);
    const kavrin::regge::Model model{kavrin::regge::Settings(pip_dipole())};
    // W from threshold (1.529135 GeV) in steps of 20 MeV up to 2.6 GeV: 54 points
    const std::vector<Row> w = run.rows("dSU_domega.dat");
    ASSERT_EQ(w.size(), 54u);
    // Near threshold -t = 0.3 GeV^2 lies outside the physical range, where the library gives NaN; the program
    // then takes the forward (theta = 0) or backward (theta = pi) angle instead.
    const auto point = [&](std::size_t i) {
        const Observables o = model.evaluate(w[i].x, 1.6, Angle::minus_t(0.3));
        if (!std::isnan(o.t)) return o;
        const Observables forward = model.evaluate(w[i].x, 1.6, Angle::theta(0.0));
        return 0.3 < -forward.t ? forward : model.evaluate(w[i].x, 1.6, Angle::theta(pi_single));
    };
    EXPECT_TRUE(std::isnan(model.evaluate(w[0].x, 1.6, Angle::minus_t(0.3)).dsigma_domega.u));
    EXPECT_FALSE(std::isnan(model.evaluate(w[53].x, 1.6, Angle::minus_t(0.3)).dsigma_domega.u));
    const Get gev = [](const Observables& o) { return o.w; };
    for (const auto& [name, get] : regge_domega) expect_file(run, std::string(name) + "_domega.dat", 54, point, gev, get, 1e-13);
    expect_file(run, "BSA.dat", 54, point, gev, [](const Observables& o) { return o.bsa; }, 1e-13);
}

// KM with the beam energy (asymmetry run): the -t scan files, the negated files and the "-T0" files.
TEST(ApiAgreesWithKavrinModels, KmAsymmetryThetaScan) {
    const ProgramRun run(KAVRIN_MODELS_BINARY, "1\n1\n0.68\n0.84\n2\n9\n2\n2.21\n1.6\n5.77\n");
    ASSERT_EQ(run.status, 0);
    using namespace kavrin::models;
    Options o;
    o.channel = Channel::pi_plus_n;
    o.model = ModelKind::km;
    o.pion_cutoff_gev = 0.68;
    o.beam_energy_gev = 5.77;
    const Model model{Settings(o)};
    const auto point = [&](std::size_t i) { return model.evaluate(2.21, 1.6, degree(i)); };
    for (const auto& [name, get] : per_t) {
        if (std::string(name) == "dSU") continue;  // no epsilon: no dsigma_U
        expect_file(run, std::string(name) + ".dat", 181, point, minus_t, get);
        expect_file(run, std::string(name) + "-T0.dat", 181, point, t0_minus_t, get);
    }
    expect_file(run, "-dSLT.dat", 181, point, minus_t, [](const Observables& x) { return -x.dsigma_dt.lt; });
    expect_file(run, "BSA_t.dat", 181, point, minus_t, [](const Observables& x) { return x.bsa; });
    expect_file(run, "dSL_over_dST-T0.dat", 181, point, t0_minus_t, [](const Observables& x) { return x.lt_ratio; });
    EXPECT_TRUE(std::isnan(point(20).dsigma_dt.u));
}

// VR in pi- p and QVM in pi0 p (no pion cut-off there): dsigma_U and the asymmetry from epsilon.
TEST(ApiAgreesWithKavrinModels, VrAndQvmScans) {
    using namespace kavrin::models;
    {
        const ProgramRun run(KAVRIN_MODELS_BINARY, "2\n2\n0.655\n0.84\n1\n9\n2\n2.2\n1.0\n0.5\n");
        ASSERT_EQ(run.status, 0);
        Options o;
        o.channel = Channel::pi_minus_p;
        o.model = ModelKind::vr;
        o.pion_cutoff_gev = 0.655;
        o.epsilon = 0.5;
        const Model model{Settings(o)};
        const auto point = [&](std::size_t i) { return model.evaluate(2.2, 1.0, degree(i)); };
        for (const auto& [name, get] : per_t) expect_file(run, std::string(name) + ".dat", 181, point, minus_t, get);
        expect_file(run, "BSA_t.dat", 181, point, minus_t, [](const Observables& x) { return x.bsa; });
    }
    {
        const ProgramRun run(KAVRIN_MODELS_BINARY, "3\n3\n0.775\n1.55\n1\n10\n2\n2.5\n1.0\n0.6\n");
        ASSERT_EQ(run.status, 0);
        Options o;
        o.channel = Channel::pi0_p;
        o.model = ModelKind::qvm;
        o.nucleon_cutoff_gev = 1.55;
        o.epsilon = 0.6;
        const Model model{Settings(o)};
        const auto point = [&](std::size_t i) { return model.evaluate(2.5, 1.0, degree(i)); };
        for (const auto& [name, get] : per_t) expect_file(run, std::string(name) + ".dat", 181, point, cos_theta, get);
        expect_file(run, "dSL_over_dST.dat", 181, point, cos_theta, [](const Observables& x) { return x.lt_ratio; });
    }
}

// A QVM W scan at fixed -t (cross sections per sr), the angle given as -t.
TEST(ApiAgreesWithKavrinModels, WScanAtFixedMinusT) {
    const ProgramRun run(KAVRIN_MODELS_BINARY, "1\n3\n0.775\n1.55\n1\n1\n2\n2.6\n1.6\n0.3\n0.5\n");
    ASSERT_EQ(run.status, 0);
    using namespace kavrin::models;
    Options o;
    o.channel = Channel::pi_plus_n;
    o.model = ModelKind::qvm;
    o.pion_cutoff_gev = 0.775;
    o.nucleon_cutoff_gev = 1.55;
    o.epsilon = 0.5;
    const Model model{Settings(o)};
    // W from threshold (1.618837 GeV with the charged pion mass 139.272 MeV) in steps of 10 MeV: 99 points
    const std::vector<Row> w = run.rows("dST.dat");
    ASSERT_EQ(w.size(), 99u);
    const auto point = [&](std::size_t i) { return model.evaluate(w[i].x, 1.6, Angle::minus_t(0.3)); };
    const Get gev = [](const Observables& x) { return x.w; };
    for (const auto& [name, get] : domega) expect_file(run, std::string(name) + ".dat", 99, point, gev, get, 1e-13);
}

namespace {

// The GPD model of pi+ n or pi- p (slope 1.105 GeV^-2, F2 on).
kavrin::regge::Model gpd_model(kavrin::Channel c) {
    kavrin::regge::Options o = pip_dipole();
    o.channel = c;
    o.form_factors = kavrin::regge::FormFactors::gpd;
    o.nucleon_cutoff_gev.reset();
    o.gpd_slope_per_gev2 = 1.105;
    return kavrin::regge::Model(kavrin::regge::Settings(o), kavrin::regge::load_gauss_legendre_table(table_file));
}

bool same_bits(const Observables& a, const Observables& b) {
    const double x[] = {a.dsigma_dt.t, a.dsigma_dt.l, a.dsigma_dt.tt, a.dsigma_dt.lt, a.dsigma_dt.ltp, a.bsa};
    const double y[] = {b.dsigma_dt.t, b.dsigma_dt.l, b.dsigma_dt.tt, b.dsigma_dt.lt, b.dsigma_dt.ltp, b.bsa};
    return std::equal(std::begin(x), std::end(x), std::begin(y), [](double u, double v) {
        return std::memcmp(&u, &v, sizeof u) == 0;
    });
}

}  // namespace

// Model::evaluate remembers the GPD form factors of the last Q^2 per thread and model: two models of different
// channels evaluated in turn, Q^2 alternating and repeating, on four threads at once, give every point exactly
// as the form factors integrated afresh for it (FixedWQ2).
TEST(ApiGpdFormFactors, RememberedPerThreadAndModel) {
    const kavrin::regge::Model plus = gpd_model(kavrin::Channel::pi_plus_n);
    const kavrin::regge::Model minus = gpd_model(kavrin::Channel::pi_minus_p);
    const double q2s[] = {1.6, 1.6, 2.0, 1.6, 2.0, 2.0, 0.8};
    std::vector<Observables> expected;
    for (const kavrin::regge::Model* m : {&plus, &minus})
        for (const double q2 : q2s) expected.push_back(m->at(2.22, q2).evaluate(Angle::minus_t(0.3)));
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int k = 0; k < 4; ++k)
        threads.emplace_back([&, k] {
            for (int round = 0; round < 20; ++round)
                for (std::size_t i = 0; i < std::size(q2s); ++i) {
                    // the threads take the Q^2 values in different orders
                    const std::size_t j = (i + static_cast<std::size_t>(k)) % std::size(q2s);
                    if (!same_bits(plus.evaluate(2.22, q2s[j], Angle::minus_t(0.3)), expected[j])) ++wrong;
                    if (!same_bits(minus.evaluate(2.22, q2s[j], Angle::minus_t(0.3)), expected[std::size(q2s) + j]))
                        ++wrong;
                }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_FALSE(same_bits(expected[0], expected[std::size(q2s)])) << "the two channels differ";
    EXPECT_FALSE(same_bits(expected[0], expected[2])) << "Q^2 = 1.6 and 2.0 differ";
}
