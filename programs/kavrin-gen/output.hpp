// The event files of kavrin-gen: LUND text and HepMC3 ASCII, each written to a temporary beside the file and renamed
// over it when complete.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "kavrin-gen/generator.hpp"

namespace kavrin::gen {

/// A file that appears complete or not at all: written to a temporary ".NAME.partial-PID-N" beside it (created with
/// O_EXCL | O_NOFOLLOW, so no link is followed), flushed to disk and renamed over NAME by commit(); the destructor
/// removes an uncommitted temporary. A symbolic link at NAME is replaced, not followed. std::runtime_error names
/// what failed.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    std::FILE* file() const { return file_; }
    const std::string& path() const { return path_; }
    void write(const std::string& text);
    void commit();

private:
    std::string path_, temporary_;
    std::FILE* file_ = nullptr;
    int slot_ = -1;
};

/// On SIGINT and SIGTERM, removes the temporaries of the AtomicFiles in use before the program ends as the signal
/// says. For main.
void install_interrupt_cleanup();

/// Whether this build writes HepMC3.
bool have_hepmc3();

/// Writes events in one format.
class EventWriter {
public:
    virtual ~EventWriter() = default;
    /// A block of events in order, numbered from `first` in the run's numbering; `so_far` is the tally of the
    /// events before the block, and is brought up to its end (the running cross section of HepMC3). Events of
    /// weight 0 (weighted trials outside the physical region) are counted, not written.
    virtual void write(const Event* e, std::size_t n, std::uint64_t first, Tally& so_far) = 0;
    /// Completes the file's content (before AtomicFile::commit).
    virtual void finish() = 0;
};

/// LUND: per event the header "3 A Z target_pol beam_pol 11 E nucleon_pdg process_id weight" and one line per
/// particle (scattered electron, pion, recoil) "index 0 1 pdg 0 0 px py pz E mass 0 0 0". process_id is the
/// channel's number (1 pi+ n, 2 pi- p, 3 pi0 p, 4 pi0 n).
/// The text of a block is made on `threads` threads.
std::unique_ptr<EventWriter> lund_writer(std::FILE* out, const Generator& gen, unsigned threads);
/// HepMC3 ASCII (WriterAscii): beam and target incoming (status 4), the three final particles (status 1), the weight
/// as the event weight, the cross section so far as GenCrossSection in pb (HepMC3's unit), the beam helicity as the
/// event attribute "beam_helicity". Throws std::runtime_error in a build without HepMC3.
std::unique_ptr<EventWriter> hepmc3_writer(std::FILE* out, const Generator& gen);

/// One LUND event as text (for the tests and the Python module).
std::string lund_event(const Event& e, const Generator& gen);

}  // namespace kavrin::gen
