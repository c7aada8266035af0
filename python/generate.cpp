// placeholder
#include <pybind11/pybind11.h>
void add_generate(pybind11::module_& m);
void add_generate(pybind11::module_&) {}
