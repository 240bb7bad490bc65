#include "StoredFields.h"

namespace dwfm {

StoredFields::~StoredFields() = default;

} // namespace dwfm
