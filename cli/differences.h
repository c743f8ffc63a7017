// The fields in which two parameter sets differ, by record name, for kvor's
// text and JSON output (the 32-bit calib and setpointUm as one field each).
#ifndef KVOR_CLI_DIFFERENCES_H
#define KVOR_CLI_DIFFERENCES_H

#include <QJsonArray>
#include <QString>
#include <QStringList>

#include "params/parameter_set.h"

namespace kvorcli {

// One object a differing field: {"field": name, keyA: value, keyB: value};
// details gets "name: labelA value, labelB value" a field.
QJsonArray ListDifferences(const ParameterSet &a, const ParameterSet &b, const QString &keyA,
                           const QString &keyB, const QString &labelA, const QString &labelB,
                           QStringList *details);

}  // namespace kvorcli

#endif
