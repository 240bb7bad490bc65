#include "ProjectVersions.h"

namespace dwfm {

ProjectVersions::~ProjectVersions() = default;

} // namespace dwfm
