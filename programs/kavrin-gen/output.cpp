#include "kavrin-gen/output.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <streambuf>
#include <ostream>
#include <vector>

#include "frontend/parallel.hpp"

#ifdef KAVRIN_HAVE_HEPMC3
#include <HepMC3/Attribute.h>
#include <HepMC3/GenCrossSection.h>
#include <HepMC3/GenEvent.h>
#include <HepMC3/GenParticle.h>
#include <HepMC3/GenRunInfo.h>
#include <HepMC3/GenVertex.h>
#include <HepMC3/WriterAscii.h>
#endif

namespace kavrin::gen {

namespace {

std::string failure(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

std::atomic<unsigned> temporaries{0};

// The temporaries in use, for the signal handler: fixed slots, no allocation there.
constexpr int slots = 4;
constexpr std::size_t path_room = 4096;
char slot_path[slots][path_room];
volatile std::sig_atomic_t slot_used[slots];

int claim_slot(const std::string& path) {
    if (path.size() >= path_room) return -1;
    for (int i = 0; i < slots; ++i)
        if (!slot_used[i]) {
            std::memcpy(slot_path[i], path.c_str(), path.size() + 1);
            slot_used[i] = 1;
            return i;
        }
    return -1;
}

void release_slot(int i) {
    if (i >= 0) slot_used[i] = 0;
}

extern "C" void remove_temporaries(int sig) {
    for (int i = 0; i < slots; ++i)
        if (slot_used[i]) ::unlink(slot_path[i]);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

}  // namespace

void install_interrupt_cleanup() {
    std::signal(SIGINT, remove_temporaries);
    std::signal(SIGTERM, remove_temporaries);
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
    if (path_.empty()) throw std::runtime_error("no output file given");
    struct stat st;
    if (::lstat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        throw std::runtime_error("cannot write " + path_ + ": it is not a regular file");
    const std::size_t slash = path_.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (base.empty()) throw std::runtime_error("cannot write " + path_ + ": it names a directory");
    temporary_ = dir + "." + base + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(temporaries++);
    const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error(failure("cannot write beside", path_));
    slot_ = claim_slot(temporary_);
    file_ = ::fdopen(fd, "w");
    if (!file_) {
        ::close(fd);
        ::unlink(temporary_.c_str());
        release_slot(slot_);
        throw std::runtime_error(failure("cannot write", path_));
    }
}

AtomicFile::~AtomicFile() {
    if (file_) {
        std::fclose(file_);
        ::unlink(temporary_.c_str());
    }
    release_slot(slot_);
}

void AtomicFile::write(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        throw std::runtime_error(failure("cannot write", path_));
}

void AtomicFile::commit() {
    std::FILE* f = file_;
    file_ = nullptr;
    const bool ok = std::fflush(f) == 0 && !std::ferror(f) && ::fsync(::fileno(f)) == 0;
    const int saved = errno;
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        errno = ok ? errno : saved;
        const std::string message = failure("cannot write", path_);
        ::unlink(temporary_.c_str());
        throw std::runtime_error(message);
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const std::string message = failure("cannot put in place", path_);
        ::unlink(temporary_.c_str());
        throw std::runtime_error(message);
    }
    release_slot(slot_);
    slot_ = -1;
}

// ---- LUND ---------------------------------------------------------------------------------------------------

namespace {

const char* const particle_line = "%d 0 1 %d 0 0 %.10g %.10g %.10g %.10g %.10g 0 0 0\n";

// Writes one event at out (room for 1024 characters); returns its length.
std::size_t put_lund(char* out, const Event& e, const Generator& gen) {
    const Particles& x = gen.particles();
    const int z = x.target_pdg == 2212 ? 1 : 0;
    const int process = static_cast<int>(gen.settings().channel);
    int n = std::snprintf(out, 256, "3 1 %d 0 %d 11 %.10g %d %d %.10g\n", z, e.helicity, gen.settings().beam_energy,
                          x.target_pdg, process, e.weight);
    const int pdg[3] = {11, x.pion_pdg, x.recoil_pdg};
    const double mass[3] = {electron_mass, x.pion_m, x.recoil_m};
    for (int k = 0; k < 3; ++k) {
        const auto& p = e.p[2 + k];
        n += std::snprintf(out + n, 256, particle_line, k + 1, pdg[k], p[0], p[1], p[2], p[3], mass[k]);
    }
    return static_cast<std::size_t>(n);
}

constexpr std::size_t lund_room = 1024;

class LundWriter final : public EventWriter {
public:
    LundWriter(std::FILE* out, const Generator& gen, unsigned threads) : out_(out), gen_(gen), threads_(threads) {}
    void write(const Event* e, std::size_t n, std::uint64_t, Tally& so_far) override {
        if (text_.size() < n * lund_room) {
            text_.resize(n * lund_room);
            length_.resize(n);
        }
        // the text of the events on every thread, then written in order
        frontend::run_blocks(n, threads_, 64, [&](std::size_t begin, std::size_t end) {
            for (std::size_t k = begin; k < end; ++k)
                length_[k] = e[k].weight > 0.0 ? put_lund(text_.data() + k * lund_room, e[k], gen_) : 0;
        });
        for (std::size_t k = 0; k < n; ++k) {
            so_far.add(e[k]);
            if (length_[k] > 0 && std::fwrite(text_.data() + k * lund_room, 1, length_[k], out_) != length_[k])
                throw std::runtime_error(std::string("cannot write: ") + std::strerror(errno));
        }
    }
    void finish() override {}

private:
    std::FILE* out_;
    const Generator& gen_;
    unsigned threads_;
    std::vector<char> text_;
    std::vector<std::size_t> length_;
};

}  // namespace

std::string lund_event(const Event& e, const Generator& gen) {
    char line[1024];
    return std::string(line, put_lund(line, e, gen));
}

std::unique_ptr<EventWriter> lund_writer(std::FILE* out, const Generator& gen, unsigned threads) {
    return std::make_unique<LundWriter>(out, gen, threads);
}

// ---- HepMC3 -------------------------------------------------------------------------------------------------

#ifdef KAVRIN_HAVE_HEPMC3

namespace {

// An output stream buffer over a FILE*, for HepMC3's writer.
class FileBuffer final : public std::streambuf {
public:
    explicit FileBuffer(std::FILE* f) : f_(f) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return std::fputc(c, f_) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), f_));
    }
    int sync() override { return std::fflush(f_) == 0 ? 0 : -1; }

private:
    std::FILE* f_;
};

class HepMC3Writer final : public EventWriter {
public:
    HepMC3Writer(std::FILE* out, const Generator& gen) : buffer_(out), stream_(&buffer_), gen_(gen) {
        run_ = std::make_shared<HepMC3::GenRunInfo>();
        run_->set_weight_names({"default"});
        HepMC3::GenRunInfo::ToolInfo tool;
        tool.name = "kavrin-gen";
        tool.version = KAVRIN_VERSION;
        tool.description = std::string("e N -> e' pi N', model ") + std::string(frontend::name_of(gen.settings().model)) +
                           ", channel " + std::string(frontend::name_of(gen.settings().channel));
        run_->tools().push_back(tool);
        writer_ = std::make_unique<HepMC3::WriterAscii>(stream_, run_);
    }
    void write(const Event* ev, std::size_t n, std::uint64_t first, Tally& so_far) override {
        for (std::size_t k = 0; k < n; ++k) {
            so_far.add(ev[k]);
            if (ev[k].weight > 0.0) write(ev[k], first + k, so_far.sigma(), so_far.error());
        }
    }
    void write(const Event& e, std::uint64_t index, double sigma_nb, double error_nb) {
        const Particles& x = gen_.particles();
        HepMC3::GenEvent evt(run_, HepMC3::Units::GEV, HepMC3::Units::MM);
        evt.set_event_number(static_cast<int>(index));
        const auto particle = [&](int k, int pdg, int status, double mass) {
            const auto& p = e.p[k];
            auto q = std::make_shared<HepMC3::GenParticle>(HepMC3::FourVector(p[0], p[1], p[2], p[3]), pdg, status);
            q->set_generated_mass(mass);
            return q;
        };
        auto vertex = std::make_shared<HepMC3::GenVertex>();
        vertex->add_particle_in(particle(0, 11, 4, electron_mass));
        vertex->add_particle_in(particle(1, x.target_pdg, 4, x.target_m));
        vertex->add_particle_out(particle(2, 11, 1, electron_mass));
        vertex->add_particle_out(particle(3, x.pion_pdg, 1, x.pion_m));
        vertex->add_particle_out(particle(4, x.recoil_pdg, 1, x.recoil_m));
        evt.add_vertex(vertex);
        evt.weights() = {e.weight};
        auto cs = std::make_shared<HepMC3::GenCrossSection>();
        cs->set_cross_section(sigma_nb * 1000.0, error_nb * 1000.0);  // pb
        evt.set_cross_section(cs);
        evt.add_attribute("beam_helicity", std::make_shared<HepMC3::IntAttribute>(e.helicity));
        writer_->write_event(evt);
        if (writer_->failed() || !stream_) throw std::runtime_error(std::string("cannot write: ") + std::strerror(errno));
    }
    void finish() override {
        writer_->close();
        stream_.flush();
        const bool ok = static_cast<bool>(stream_);
        // the writer's destructor closes once more: let it write nowhere
        stream_.rdbuf(nullptr);
        writer_.reset();
        if (!ok) throw std::runtime_error(std::string("cannot write: ") + std::strerror(errno));
    }

private:
    FileBuffer buffer_;
    std::ostream stream_;
    const Generator& gen_;
    std::shared_ptr<HepMC3::GenRunInfo> run_;
    std::unique_ptr<HepMC3::WriterAscii> writer_;
};

}  // namespace

bool have_hepmc3() { return true; }

std::unique_ptr<EventWriter> hepmc3_writer(std::FILE* out, const Generator& gen) {
    return std::make_unique<HepMC3Writer>(out, gen);
}

#else

bool have_hepmc3() { return false; }

std::unique_ptr<EventWriter> hepmc3_writer(std::FILE*, const Generator&) {
    throw std::runtime_error("this kavrin-gen was built without HepMC3 (install libhepmc3-dev and reconfigure)");
}

#endif

}  // namespace kavrin::gen
