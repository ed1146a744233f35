// The benchmark rows of settings and language files of many lines: the time and the peak memory of a start's
// reading and an exit's writing of the settings file, and of a language load, beside the file's size.
#pragma once

#include <QString>
#include <vector>

#include "bench/harness.h"

namespace quorvane::bench {

// Each measurement is a process of its own, forked before this one has an application object, so that its
// peak resident memory is its own: call it while the process is still small. `work` is a folder to write in.
void fileRows(std::vector<Row>& rows, const QString& work, int runs);

}  // namespace quorvane::bench
