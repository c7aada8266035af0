#include "frontend/data_files.hpp"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "kavrin_install_paths.hpp"

namespace kavrin::frontend {

namespace fs = std::filesystem;

namespace {

bool is_file(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// Whether two paths name the same folder (links resolved; the folder need not exist).
bool same_folder(const fs::path& a, const fs::path& b) {
    std::error_code ea, eb;
    const fs::path x = fs::weakly_canonical(a, ea), y = fs::weakly_canonical(b, eb);
    return !ea && !eb && x == y;
}

}  // namespace

std::string table_path_for(const std::string& own_file, InstalledAs kind) {
    if (own_file.empty()) return KAVRIN_INSTALLED_TABLE;
    const bool program = kind == InstalledAs::program;
    const fs::path folder = fs::path(own_file).parent_path();
    const fs::path installed = (folder / (program ? KAVRIN_TABLE_FROM_BINDIR : KAVRIN_TABLE_FROM_PYTHONDIR)).lexically_normal();
    if (is_file(installed)) return installed.string();
    const fs::path build = program ? fs::path(KAVRIN_BUILD_DIR) : fs::path(KAVRIN_BUILD_DIR) / "python";
    if (same_folder(folder, build)) return KAVRIN_SOURCE_TABLE;
    return installed.string();
}

std::string program_file() {
    std::error_code ec;
    const fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string module_file() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&module_file), &info) == 0 || info.dli_fname == nullptr) return {};
    std::error_code ec;
    const fs::path p = fs::canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : p.string();
}

std::string program_table_path() { return table_path_for(program_file(), InstalledAs::program); }
std::string module_table_path() { return table_path_for(module_file(), InstalledAs::python_module); }

}  // namespace kavrin::frontend
