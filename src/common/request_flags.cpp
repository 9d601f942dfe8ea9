#include "common/request_flags.h"

namespace pelira {

RequestFlags& Flags() {
  static RequestFlags flags;
  return flags;
}

}  // namespace pelira
