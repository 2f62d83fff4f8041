// Where tests find their data, the source tree and the build's outputs.
#pragma once

#include <QString>

namespace testpaths {
QString dataDir();   // tests/data in the source tree
QString sourceDir(); // the source tree's root
QString binaryDir(); // the build tree's root (executables are in bin/)
} // namespace testpaths
