// Files of the fuzz targets: an input stored as a file, and a file read back, each checked.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "fuzz/fuzzcheck.h"

inline QByteArray readFile(const QString& path) {
  QFile file(path);
  FUZZ_CHECK(file.open(QIODevice::ReadOnly), "the file cannot be read back");
  return file.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
             "the input cannot be stored");
}
