// Internal to the run-time layer: the program's own files (the panel resource
// file, the logo bitmaps) for the Qt side. A build or a copied folder keeps
// them beside the program; an install keeps them in its data folder
// (FindProgramFileIn in utility_internal.h says where).
#ifndef KVOR_RUNTIME_UTILITY_PROGRAM_FILES_H
#define KVOR_RUNTIME_UTILITY_PROGRAM_FILES_H

#include <QString>

namespace uilayer {

// The path of the running program's file of that name, or an empty string.
QString FindProgramFile(const QString &name);

}  // namespace uilayer

#endif
