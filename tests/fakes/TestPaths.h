// Where tests find the source tree and the build's outputs.
#pragma once

#include <QString>

namespace testpaths {
QString sourceDir(); // the source tree's root
QString binaryDir(); // the build tree's root (executables are in bin/)
} // namespace testpaths
