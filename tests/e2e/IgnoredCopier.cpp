#include "tests/e2e/IgnoredCopier.h"

namespace e2e {

std::wstring IgnoredCopier::ExecutablePath()
{
    return HelperPath(QUILLARY_IGNOREDCOPIER_PATH);
}

}  // namespace e2e
