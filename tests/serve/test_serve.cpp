// kavrin-serve: the API's numbers are the library's, unphysical points are null, bad requests are refused naming
// what is wrong, chi2 against a data set is the sum of the pulls, and the HTTP side serves nothing but the page and
// keeps answering whatever a client sends.
#include <arpa/inet.h>
#include <sys/time.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <numbers>
#include <thread>

#include "frontend/catalog.hpp"
#include "kavrin-serve/api.hpp"
#include "kavrin-serve/server.hpp"

namespace {

using nlohmann::json;
using namespace kavrin;
using namespace kavrin::frontend;

const serve::Api& api() {
    static const serve::Api a = [] {
        std::vector<std::string> problems;
        auto sets = serve::read_data_sets(KAVRIN_SOURCE_DIR "/data/experiment", problems);
        EXPECT_TRUE(problems.empty());
        serve::Limits limits;
        limits.threads = 2;
        return serve::Api(std::move(sets), limits, "test");
    }();
    return a;
}

json ok(const serve::Reply& r) {
    EXPECT_EQ(r.status, 200) << r.body;
    return json::parse(r.body);
}

// a JSON number or null as the double it stands for
double number(const json& v) { return v.is_null() ? std::numeric_limits<double>::quiet_NaN() : v.get<double>(); }

bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// Every observable of an answer against the library at the same point, bit for bit.
void expect_library_values(const json& answer, ModelName model, Channel channel,
                           const std::vector<std::pair<std::string, std::string>>& options, Angle::Kind kind) {
    const ModelChoice choice(model, channel, options);
    const std::size_t n = answer["n"].get<std::size_t>();
    for (std::size_t i = 0; i < n; ++i) {
        const double w = number(answer["W"][i]), q2 = number(answer["Q2"][i]), eps = number(answer["eps"][i]);
        const double beam = answer.contains("E_beam") ? number(answer["E_beam"][i]) : std::nan("");
        const double phi = answer.contains("phi_deg") ? number(answer["phi_deg"][i]) * std::numbers::pi / 180 : std::nan("");
        const Angle angle = kind == Angle::Kind::minus_t ? Angle::minus_t(number(answer["minus_t"][i]))
                            : kind == Angle::Kind::theta ? Angle::theta(number(answer["theta_deg"][i]) * std::numbers::pi / 180)
                                                         : Angle::cos_theta(number(answer["cos_theta"][i]));
        const AnyModel m = choice.build(eps, model == ModelName::km ? beam : std::nan(""));
        const auto want = values_of(evaluate(m, w, q2, angle), eps, phi, beam, channel);
        for (std::size_t q = 0; q < quantity_count; ++q) {
            const std::string name(quantities()[q].name);
            EXPECT_TRUE(same(number(answer[name][i]), want[q]))
                << name_of(model) << " " << name << " at point " << i << ": " << answer[name][i] << " vs " << want[q];
        }
    }
}

TEST(ServeApi, ObservablesAreTheLibrarys) {
    // a -t scan of every model, with beam energy and phi, and a named option
    for (const char* model : {"regge", "km", "vr", "qvm"}) {
        const json req = {{"model", model}, {"channel", "pi+n"},
                          {"options", model == std::string("regge") ? json{{"pion_cutoff_mev", 700}} : json{{"pion_cutoff_gev", 0.7}}},
                          {"scan", {{"variable", "minus_t"}, {"from", 0.05}, {"to", 1.5}, {"steps", 7}, {"W", 2.2},
                                    {"Q2", 1.6}, {"E_beam", 5.77}, {"phi_deg", 60}}}};
        const json a = ok(api().evaluate(req.dump()));
        const std::string cut = model == std::string("regge") ? "pion_cutoff_mev" : "pion_cutoff_gev";
        expect_library_values(a, *model_named(model), Channel::pi_plus_n, {{cut, model == std::string("regge") ? "700" : "0.7"}},
                              Angle::Kind::minus_t);
        // eps from the beam energy, as the experiments' tables give it
        const double m = target_mass_gev(Channel::pi_plus_n);
        EXPECT_EQ(number(a["eps"][0]), epsilon_of_beam(1.6, xb_of(2.2, 1.6, m), 5.77, m));
    }
    // points by xB and theta, several eps; and by cos theta for pi0 n with the Regge model's GPD form factors
    const json by_theta = ok(api().evaluate(json{{"model", "vr"}, {"channel", "pi0p"},
        {"points", {{"xB", {0.2, 0.3, 0.4}}, {"Q2", 2.0}, {"theta_deg", {10, 30, 170}}, {"eps", {0.2, 0.5, 0.9}}}}}.dump()));
    expect_library_values(by_theta, ModelName::vr, Channel::pi0_p, {}, Angle::Kind::theta);
    EXPECT_EQ(number(by_theta["W"][1]), w_of(2.0, 0.3, target_mass_gev(Channel::pi0_p)));
    const json by_cos = ok(api().evaluate(json{{"model", "regge"}, {"channel", "pi0n"}, {"options", {{"form_factors", "gpd"}}},
        {"points", {{"W", 2.5}, {"Q2", 1.0}, {"cos_theta", {0.99, 0.5, -0.3}}}}}.dump()));
    expect_library_values(by_cos, ModelName::regge, Channel::pi0_n, {{"form_factors", "gpd"}}, Angle::Kind::cos_theta);
    // several models at once: one answer each, the same as asked alone
    const json scan = {{"variable", "W"}, {"from", 1.8}, {"to", 3.0}, {"steps", 5}, {"Q2", 1.0}, {"minus_t", 0.4}};
    const json many = ok(api().evaluate(json{{"channel", "pi-p"}, {"scan", scan},
        {"models", {"km", {{"model", "qvm"}, {"options", {{"nucleon_cutoff_gev", 1.2}}}}}}}.dump()));
    ASSERT_TRUE(many.is_array());
    ASSERT_EQ(many.size(), 2u);
    EXPECT_EQ(many[0], ok(api().evaluate(json{{"model", "km"}, {"channel", "pi-p"}, {"scan", scan}}.dump())));
    EXPECT_EQ(many[1], ok(api().evaluate(json{{"model", "qvm"}, {"channel", "pi-p"}, {"scan", scan},
                                              {"options", {{"nucleon_cutoff_gev", 1.2}}}}.dump())));
}

TEST(ServeApi, UnphysicalPointsAreNull) {
    // below threshold, -t outside its range, x_B above 1, a beam too weak for the point
    const json a = ok(api().evaluate(json{{"model", "km"}, {"channel", "pi+n"},
        {"points", {{"W", {1.0, 2.2, 2.2, 2.2}}, {"Q2", {1.0, 1.0, 1.0, 1.0}}, {"minus_t", {0.3, 0.0, 50.0, 0.3}},
                    {"E_beam", {5.77, 5.77, 5.77, 1.5}}, {"phi_deg", 30}}}}.dump()));
    for (std::size_t i = 0; i < 4; ++i)
        for (const auto& q : quantities()) EXPECT_TRUE(a[std::string(q.name)][i].is_null()) << q.name << " at point " << i;
    const json x = ok(api().evaluate(json{{"model", "vr"}, {"channel", "pi+n"},
        {"points", {{"xB", 1.2}, {"Q2", 1.0}, {"minus_t", 0.3}}}}.dump()));
    EXPECT_TRUE(x["W"][0].is_null());
    for (const auto& q : quantities()) EXPECT_TRUE(x[std::string(q.name)][0].is_null()) << q.name;
    // without phi and beam energy those observables are null, the others not
    const json no_phi = ok(api().evaluate(json{{"model", "vr"}, {"channel", "pi+n"},
        {"points", {{"W", 2.2}, {"Q2", 1.0}, {"minus_t", 0.3}}}}.dump()));
    for (const auto& q : quantities())
        EXPECT_EQ(no_phi[std::string(q.name)][0].is_null(), q.needs_phi || q.needs_beam) << q.name;
}

TEST(ServeApi, BadRequestsAreRefusedNamingTheProblem) {
    const std::string scan = R"("scan":{"variable":"minus_t","from":0.1,"to":1,"steps":10,"W":2.2,"Q2":1.6})";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"model\": \"km\",", "bad JSON"},
        {"[1,2]", "expected an object"},
        {R"({"model":"xyz","channel":"pi+n",)" + scan + "}", "unknown model xyz"},
        {R"({"model":"km","channel":"pi0x",)" + scan + "}", "unknown channel pi0x"},
        {R"({"model":"km","channel":"pi0n",)" + scan + "}", "no channel pi0n"},
        {R"({"model":"km","channel":"pi+n","options":{"cutoff":1},)" + scan + "}", "unknown option cutoff"},
        {R"({"model":"km","channel":"pi+n","options":{"pion_cutoff_gev":"abc"},)" + scan + "}", "pion_cutoff_gev = abc"},
        {R"({"model":"km","channel":"pi+n","options":{"pion_cutoff_gev":-2},)" + scan + "}", "pion_cutoff_gev = -2"},
        {R"({"model":"regge","channel":"pi+n","options":{"form_factors":"box"},)" + scan + "}", "form_factors = box"},
        {R"({"model":"km","channel":"pi+n","options":{"pion_cutoff_gev":[1]},)" + scan + "}", "options.pion_cutoff_gev"},
        {R"({"model":"km","channel":"pi+n","scan":{"variable":"minus_t","from":0.1,"to":1,"steps":100001,"W":2,"Q2":1}})", "scan.steps"},
        {R"({"model":"km","channel":"pi+n","scan":{"variable":"W","from":1,"to":1000,"steps":10,"minus_t":0.2,"Q2":1}})", "W = 1000 is beyond the limits"},
        {R"({"model":"km","channel":"pi+n","scan":{"variable":"spin","from":0,"to":1,"steps":10}})", "unknown variable spin"},
        {R"({"model":"km","channel":"pi+n","scan":{"variable":"W","from":2,"to":3,"steps":10,"W":2,"Q2":1,"minus_t":0.2}})", "W is the scan variable"},
        {R"({"model":"km","channel":"pi+n","points":{"W":[2,2.1],"Q2":[1,1,1],"minus_t":0.3}})", "different lengths"},
        {R"({"model":"km","channel":"pi+n","points":{"W":2,"Q2":1}})", "minus_t, theta_deg and cos_theta"},
        {R"({"model":"km","channel":"pi+n","points":{"W":2,"Q2":"one","minus_t":0.3}})", "points.Q2 is not a number"},
        {R"({"model":"km","channel":"pi+n","points":{"W":2,"Q2":1,"minus_t":0.3,"eps":1.5}})", "eps = 1.5"},
        {R"({"model":"km","channel":"pi+n","points":{"W":2,"Q2":1,"minus_t":0.3,"spin":1}})", "unknown column spin"},
        {R"({"models":["km","vr"],"channel":"pi+n","scan":{"variable":"minus_t","from":0.1,"to":1,"steps":60000,"W":2,"Q2":1}})", "more than the 100000"},
        {R"({"model":"km","channel":"pi+n","scan":{"variable":"minus_t","from":0.1,"to":1,"steps":10,"W":2,"Q2":1},"extra":1})", "unknown key extra"},
    };
    for (const auto& [body, message] : cases) {
        const serve::Reply r = api().evaluate(body);
        EXPECT_EQ(r.status, 400) << body;
        EXPECT_NE(json::parse(r.body)["error"].get<std::string>().find(message), std::string::npos)
            << body << " -> " << r.body;
    }
    const serve::Reply unknown = api().compare(R"({"model":"km","data":"no-such-data"})");
    EXPECT_EQ(unknown.status, 400);
    EXPECT_NE(unknown.body.find("unknown data set no-such-data"), std::string::npos);
}

TEST(ServeApi, RequestsStopAtTheirTimeLimit) {
    serve::Limits limits;
    limits.time = std::chrono::milliseconds(0);
    const serve::Api hasty({}, limits, "test");
    const serve::Reply r = hasty.evaluate(
        R"({"model":"vr","channel":"pi+n","scan":{"variable":"minus_t","from":0.1,"to":1,"steps":20000,"W":2.2,"Q2":1.6}})");
    EXPECT_EQ(r.status, 503);
    EXPECT_NE(r.body.find("computing time"), std::string::npos) << r.body;
}

TEST(ServeApi, Chi2IsTheSumOfThePullsAtTheRowsKinematics) {
    // the CLAS pi0 structure functions: nb/GeV^2 against the model's microbarn, eps from each row's beam energy
    const serve::DataSet set = serve::read_data_set(KAVRIN_SOURCE_DIR "/data/experiment/clas-2014-pi0-structure-functions.dat");
    const json a = ok(api().compare(json{{"data", set.name}, {"models", {"vr", {{"model", "qvm"}}}}}.dump()));
    EXPECT_EQ(a["channel"], "pi0p");
    ASSERT_EQ(a["results"].size(), 2u);
    const double m = target_mass_gev(Channel::pi0_p);
    for (std::size_t k = 0; k < 2; ++k) {
        const ModelChoice choice(k == 0 ? ModelName::vr : ModelName::qvm, Channel::pi0_p, {});
        double total = 0;
        for (const serve::Measurement& meas : set.measured) {
            const std::size_t q = static_cast<std::size_t>(*quantity_named(meas.name));
            double chi2 = 0;
            for (std::size_t r = 0; r < set.rows; ++r) {
                const double q2 = set.kinematics.at("Q2")[r], xb = set.kinematics.at("xB")[r];
                const double eps = epsilon_of_beam(q2, xb, set.kinematics.at("E_beam")[r], m);
                const auto v = values_of(evaluate(choice.build(eps), w_of(q2, xb, m), q2,
                                                  Angle::minus_t(set.kinematics.at("minus_t")[r])),
                                         eps, std::nan(""), set.kinematics.at("E_beam")[r], Channel::pi0_p);
                const double pull = (v[q] * 1000 - meas.value[r]) / meas.error[r];
                if (std::isfinite(pull)) chi2 += pull * pull;
            }
            total += chi2;
        }
        EXPECT_NEAR(a["results"][k]["chi2"].get<double>(), total, 1e-9 * total);
        EXPECT_EQ(a["results"][k]["points"].get<std::size_t>(), 3 * 96u - a["results"][k]["observables"][0]["not_counted"].size() -
                                                                   a["results"][k]["observables"][1]["not_counted"].size() -
                                                                   a["results"][k]["observables"][2]["not_counted"].size());
    }
    // stat and sys in quadrature, the rows grouped into settings of nearly the same kinematics
    for (const serve::Measurement& meas : set.measured)
        if (meas.name == "dsigmaU_dt") {
            EXPECT_DOUBLE_EQ(meas.error[0], std::hypot(40.0, 59.0));
        }
    EXPECT_EQ(set.settings.front().rows.size(), 7u);
    // a malformed table is refused with its line
    const std::string bad = testing::TempDir() + "/serve-bad.dat";
    std::ofstream(bad) << "# x\nW Q2 minus_t ALU_sinphi ALU_sinphi_err\n2.0 1.5 0.2 0.1\n";
    try {
        serve::read_data_set(bad);
        ADD_FAILURE() << "a row with a missing number was read";
    } catch (const serve::DataError& e) {
        EXPECT_NE(std::string(e.what()).find(":3: 4 values for 5 columns"), std::string::npos) << e.what();
    }
}

// The HTTP side, in this process on a free port.
class ServeHttp : public testing::Test {
protected:
    void SetUp() override {
        files_ = serve::read_static_files(KAVRIN_SOURCE_DIR "/programs/kavrin-serve/web");
        serve::set_up(server_, api(), files_);
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void TearDown() override {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    // sends raw bytes, optionally reads the answer
    std::string raw(const std::string& bytes, bool read_answer) const {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        std::string out;
        if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            (void)!send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (read_answer) {
                timeval limit{10, 0};
                setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
                char buf[4096];
                for (ssize_t n; (n = recv(s, buf, sizeof buf, 0)) > 0;) {
                    out.append(buf, static_cast<std::size_t>(n));
                    // a whole answer: the headers and as much body as they announce
                    const auto end = out.find("\r\n\r\n");
                    const auto length = out.find("Content-Length: ");
                    if (end != std::string::npos && length != std::string::npos &&
                        out.size() >= end + 4 + std::stoul(out.substr(length + 16)))
                        break;
                }
            }
        }
        close(s);
        return out;
    }
    serve::StaticFiles files_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

TEST_F(ServeHttp, ServesThePageAndNothingElse) {
    httplib::Client c("127.0.0.1", port_);
    const auto index = c.Get("/");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->status, 200);
    EXPECT_NE(index->body.find("app.js"), std::string::npos);
    EXPECT_EQ(c.Get("/vendor/uPlot.iife.min.js")->status, 200);
    for (const std::string path : {"/../../../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc%2fpasswd",
                                   "/vendor/../../CMakeLists.txt", "//etc/passwd", "/app.js/..", "/api/nothing"}) {
        const std::string answer = raw("GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", true);
        EXPECT_EQ(answer.rfind("HTTP/1.1 404", 0), 0u) << path << ": " << answer.substr(0, 80);
        EXPECT_EQ(answer.find("root:"), std::string::npos) << path;
    }
}

TEST_F(ServeHttp, KeepsAnsweringWhateverClientsSend) {
    const std::string good = R"({"model":"km","channel":"pi+n","points":{"W":2.2,"Q2":1.6,"minus_t":0.3}})";
    // a body over 1 MiB, declared or sent
    httplib::Client c("127.0.0.1", port_);
    const auto big = c.Post("/api/evaluate", std::string((1 << 20) + 1, ' '), "application/json");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    EXPECT_NE(big->body.find("1 MiB"), std::string::npos);
    // garbage, a request cut off in the middle, a body shorter than declared
    static constexpr char tls_hello[] = "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03garbage\r\n\r\n";
    raw(std::string(tls_hello, sizeof tls_hello - 1), true);
    raw("POST /api/evaluate HTTP/1.1\r\nHost: x\r\nContent-Length: 500\r\n\r\n{\"model\":", false);
    raw("GET /api/models HTT", false);
    EXPECT_EQ(raw("NONSENSE\r\n\r\n", true).rfind("HTTP/1.1 400", 0), 0u);
    // and still answers, with the numbers
    const auto after = c.Post("/api/evaluate", good, "application/json");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
    EXPECT_EQ(after->body, api().evaluate(good).body);
    const auto bad = c.Post("/api/evaluate", "{", "application/json");
    EXPECT_EQ(bad->status, 400);
    EXPECT_NE(bad->body.find("bad JSON"), std::string::npos);
}

}  // namespace
