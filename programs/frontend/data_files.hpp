// The data files of the front ends, found from where the running program or the loaded Python module lies:
// an installation finds its own copy wherever it was installed or moved to, and never the source tree it was
// built from; a program or module still in its build tree uses the copy of the source tree.
#pragma once

#include <string>

#include "kavrin/regge.hpp"

namespace kavrin::frontend {

/// What kind of installed file looks for the data: a program (installed in BIN, the data in
/// BIN/../share/kavrin) or the Python module (installed in LIB/kavrin/python).
enum class InstalledAs { program, python_module };

/// The Gauss-Legendre table for the installed file `own_file` (a program or the module's shared object):
/// the installed copy beside it when it is there; for a file in the build tree (the build folder, or its
/// python/ for the module) the copy of the source tree; otherwise regge::TableError naming the installed
/// copy that is missing. `own_file` "" (its place unknown) finds no installed copy.
std::string table_path_for(const std::string& own_file, InstalledAs kind);

/// Where the running program's executable is (/proc/self/exe), "" when the system does not say.
std::string program_file();
/// Where the shared object (or executable) holding this code is, "" when the system does not say: for the
/// Python module, its kavrin*.so.
std::string module_file();

/// The table of this program, and of the module: table_path_for(program_file(), program) and
/// table_path_for(module_file(), python_module).
std::string program_table_path();
std::string module_table_path();

/// The Regge model of `settings` with the table of this program (or module), read once when GPD form
/// factors first need it (regge::TableError when it is missing or bad; dipole form factors need none).
regge::Model program_regge_model(const regge::Settings& settings);
regge::Model module_regge_model(const regge::Settings& settings);

}  // namespace kavrin::frontend
