#include "cli/differences.h"

#include <QJsonObject>

namespace kvorcli {

QJsonArray ListDifferences(const ParameterSet &a, const ParameterSet &b, const QString &keyA,
                           const QString &keyB, const QString &labelA, const QString &labelB,
                           QStringList *details) {
  int fields[PARAMETER_FIELDS];
  const int count = DiffParameterSets(a, b, fields);
  QJsonArray list;
  for (int i = 0; i < count; ++i) {
    const ParameterField &field = *ParameterFieldAt(fields[i]);
    const uint32_t va = ParameterFieldValue(a, field), vb = ParameterFieldValue(b, field);
    QJsonObject entry;
    entry.insert("field", field.name);
    entry.insert(keyA, static_cast<double>(va));
    entry.insert(keyB, static_cast<double>(vb));
    list.append(entry);
    // One arg() for all: a label (a file's name) holding "%1" stays as it is.
    details->append(QString("%1: %2 %3, %4 %5")
                        .arg(QString::fromUtf8(field.name), labelA, QString::number(va), labelB,
                             QString::number(vb)));
  }
  return list;
}

}  // namespace kvorcli
