// Where tests find the source tree and the build's outputs (executables are in bin/).
#pragma once

#include <QString>

namespace testpaths {
inline QString sourceDir()
{
    return QStringLiteral(CHIRPEL_SOURCE_DIR);
}
inline QString binaryDir()
{
    return QStringLiteral(CHIRPEL_BINARY_DIR);
}
} // namespace testpaths
