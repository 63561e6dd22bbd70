#include "module_list.h"

namespace cardservice {
namespace {

// Only VESKCI2XS.DLL belongs to this suite; the others serve other kinds of
// slot and are loaded when they are installed.
constexpr ModuleListRow kModules[] = {
    {"KORVAPT.DLL", 0},   {"VESKCIQM.DLL", 0},  {"VESKCI7FS.DLL", 1}, {"DRELLIX.DLL", 1},
    {"VESKCI7KS.DLL", 1}, {"VESKCI9BS.DLL", 1}, {"VESKCI2XS.DLL", 2}, {"VESKCIWN.DLL", 2},
    {"VESKCIHT.DLL", 3},  {"VESKCIDM.DLL", 4},  {"VESKCIJV.DLL", 5},
};

}  // namespace

std::span<const ModuleListRow> accessorModuleList() { return kModules; }

}  // namespace cardservice
