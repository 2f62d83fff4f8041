// Where tests find the source tree and the build's outputs.
#include "TestPaths.h"

namespace testpaths {
QString sourceDir()
{
    return QStringLiteral(CHIRPEL_SOURCE_DIR);
}
QString binaryDir()
{
    return QStringLiteral(CHIRPEL_BINARY_DIR);
}
} // namespace testpaths
