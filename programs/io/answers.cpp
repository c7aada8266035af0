#include "io/answers.hpp"

#include "kernel/free_format.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace kavrin::io {

std::optional<long long> parse_integer(std::string_view token) {
    std::size_t i = 0;
    bool neg = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) neg = token[i++] == '-';
    if (i == token.size()) return std::nullopt;
    long long v = 0;
    for (; i < token.size(); ++i) {
        const char c = token[i];
        if (c < '0' || c > '9') return std::nullopt;
        if (v > (std::numeric_limits<long long>::max() - (c - '0')) / 10) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return neg ? -v : v;
}


std::optional<double> parse_real(std::string_view token) { return parse_fortran_real(token); }

std::optional<float> parse_single(std::string_view token) {
    const auto s = normalize_fortran_real(token);
    if (!s) return std::nullopt;
    return std::strtof(s->c_str(), nullptr);
}

std::string answer_token(std::string_view line) {
    std::size_t b = 0;
    while (b < line.size() && (line[b] == ' ' || line[b] == '\t' || line[b] == '\r')) ++b;
    std::size_t e = b;
    while (e < line.size() && line[e] != ' ' && line[e] != '\t' && line[e] != ',' && line[e] != '\r') ++e;
    return std::string(line.substr(b, e - b));
}

namespace {

// Reads one line like std::getline, but keeps only its first `keep` characters: an answer stands at the
// start of its line, and a line without end (a stream of bytes and no newline) must not fill the memory.
bool read_line(std::istream& in, std::string& line, std::size_t keep) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    bool any = false;
    for (;;) {
        const int c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return any;
        }
        any = true;
        if (c == '\n') return true;
        if (line.size() < keep) line.push_back(static_cast<char>(c));
    }
}

}  // namespace

Dialogue::Dialogue(std::istream& in, std::ostream& out, bool interactive)
    : in_(in), out_(out), interactive_(interactive) {}

void Dialogue::print(std::string_view text) { out_ << ' ' << text << '\n'; }

std::string Dialogue::next_token(std::string_view question) {
    out_.flush();
    std::string line;
    while (read_line(in_, line, max_line_kept)) {
        // a line of blanks (or a bare carriage return) holds no answer: a list-directed read skips it
        bool blank = true;
        for (char c : line)
            if (c != ' ' && c != '\t' && c != '\r') blank = false;
        if (!blank) return answer_token(line);
    }
    throw DialogueError("input ended before the answer to \"" + std::string(question) + "\"");
}

void Dialogue::fail(std::string_view question, std::string_view answer, std::string_view choices) {
    std::string shown(answer.substr(0, 80));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    throw DialogueError("bad answer \"" + shown + "\" to \"" + std::string(question) + "\": expected " +
                        std::string(choices));
}

void Dialogue::accept(std::string_view question, const std::string& token) {
    answered_.push_back({std::string(question), token});
}

int Dialogue::read_int(std::string_view question, const std::function<bool(long long)>& valid,
                       std::string_view choices) {
    for (;;) {
        const std::string tok = next_token(question);
        const auto v = parse_integer(tok);
        if (v && *v >= std::numeric_limits<int>::min() && *v <= std::numeric_limits<int>::max() && valid(*v)) {
            accept(question, tok);
            return static_cast<int>(*v);
        }
        if (!interactive_) fail(question, tok, choices);
        out_ << " Please answer " << choices << ".\n";
    }
}

double Dialogue::read_real(std::string_view question) {
    for (;;) {
        const std::string tok = next_token(question);
        if (const auto v = parse_real(tok)) {
            accept(question, tok);
            return *v;
        }
        if (!interactive_) fail(question, tok, "a number");
        out_ << " Please answer with a number.\n";
    }
}

float Dialogue::read_single(std::string_view question) {
    for (;;) {
        const std::string tok = next_token(question);
        if (const auto v = parse_single(tok)) {
            accept(question, tok);
            return *v;
        }
        if (!interactive_) fail(question, tok, "a number");
        out_ << " Please answer with a number.\n";
    }
}

}  // namespace kavrin::io
