// The data files of the front ends, found from where the running program or the loaded Python module lies:
// an installation finds its own copy wherever it was installed or moved to, and never the source tree it was
// built from; a program or module still in its build tree uses the copy of the source tree.
#pragma once

#include <string>

namespace kavrin::frontend {

/// What kind of installed file looks for the data: a program (installed in BIN, the data in
/// BIN/../share/kavrin) or the Python module (installed in LIB/kavrin/python).
enum class InstalledAs { program, python_module };

/// The Gauss-Legendre table for the file `own_file` (a program, or the module's shared object): for a file in
/// the build tree (the build folder, or its python/ for the module) whose installed copy is not beside it, the
/// copy of the source tree; otherwise the installed copy beside it, whether it is there or not (reading it
/// then says where it is missing). `own_file` "" (its place unknown) gives the place of installation.
std::string table_path_for(const std::string& own_file, InstalledAs kind);

/// Where the running program's executable is (/proc/self/exe), "" when the system does not say.
std::string program_file();
/// Where the shared object (or executable) holding this code is, "" when the system does not say: for the
/// Python module, its kavrin*.so.
std::string module_file();

/// The table of this program, and of this module: table_path_for(program_file(), program) and
/// table_path_for(module_file(), python_module). For the settings of a model (ModelChoice's table_path).
std::string program_table_path();
std::string module_table_path();

}  // namespace kavrin::frontend
