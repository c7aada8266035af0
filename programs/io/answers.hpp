// Reading the answers of an interactive dialogue, one value per line, the way a list-directed read of
// one value does: blank lines are skipped, the first token of the next line (ended by a blank or a comma)
// is the answer and the rest of that line is ignored. Reals accept 1.55, 2, 1e-3 and 1d-3.
//
// A bad answer (not a number of the asked type, or not one of the valid choices): at a terminal the
// program names the valid answers and asks again; otherwise (answer file, pipe) it stops with a message
// on standard error naming the question and the answer (DialogueError, exit status 1). The end of input
// before the dialogue is complete stops the run the same way.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin::io {

/// Characters kept of one input line (its answer stands at the start); the rest of a longer line is read
/// and dropped, so that no line, however long, fills the memory.
inline constexpr std::size_t max_line_kept = 65536;

/// The dialogue cannot go on; what() is the message for standard error.
struct DialogueError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// Parses one answer token as an integer (optional sign, digits only).
std::optional<long long> parse_integer(std::string_view token);
/// Parses one answer token as a real in Fortran style: 1.55, 2, .5, 1e-3, 1d-3, 1.5D+02, NaN, Inf.
std::optional<double> parse_real(std::string_view token);
/// The same, rounded once to single precision (as a read into a single-precision variable).
std::optional<float> parse_single(std::string_view token);
/// The answer token of one input line (first token, ended by blank, tab, comma or end of line); empty if none.
std::string answer_token(std::string_view line);

/// One accepted answer: the question as named in messages, and the answer token as it was read.
struct AnsweredQuestion {
    std::string question;
    std::string answer;
};

/// Prints records (one leading blank each) and reads answers.
class Dialogue {
public:
    /// interactive: re-ask on a bad answer instead of stopping.
    Dialogue(std::istream& in, std::ostream& out, bool interactive);

    /// Prints one record: a blank, then text.
    void print(std::string_view text);
    /// Reads an integer answer to the question `question` (used in messages); valid() decides
    /// acceptance and `choices` names the valid answers.
    int read_int(std::string_view question, const std::function<bool(long long)>& valid, std::string_view choices);
    /// Reads a real answer.
    double read_real(std::string_view question);
    /// Reads a real answer held in single precision (the value is rounded to float).
    float read_single(std::string_view question);

    /// The accepted answers so far, in the order they were read (for the run record).
    const std::vector<AnsweredQuestion>& answered() const noexcept { return answered_; }

private:
    void accept(std::string_view question, const std::string& token);

    std::string next_token(std::string_view question);
    [[noreturn]] void fail(std::string_view question, std::string_view answer, std::string_view choices);

    std::istream& in_;
    std::ostream& out_;
    bool interactive_;
    std::vector<AnsweredQuestion> answered_;
};

}  // namespace kavrin::io
