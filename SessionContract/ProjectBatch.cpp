#include "ProjectBatch.h"

namespace dwfm {

ProjectBatch::~ProjectBatch() = default;

} // namespace dwfm
