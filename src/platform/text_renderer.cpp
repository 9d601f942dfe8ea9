#include "platform/text_renderer.h"

namespace pelira {

namespace {
const TextRenderer* installed = nullptr;
}  // namespace

const TextRenderer* InstalledTextRenderer() { return installed; }
void InstallTextRenderer(const TextRenderer* renderer) { installed = renderer; }

}  // namespace pelira
