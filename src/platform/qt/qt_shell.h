#pragma once
// Shell operations on Qt: the freedesktop trash through QFile::moveToTrash.
#include "platform/shell.h"

namespace pelira {

class QtShell : public Shell {
public:
  TrashResult MoveToTrash(const std::filesystem::path& path) override;
  bool OpenDocument(const std::filesystem::path& path) override;
};

}  // namespace pelira
