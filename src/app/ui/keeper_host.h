// The window's side of the page file keeper.
#pragma once

#include <memory>

#include "store/ui/page_file_keeper.h"

namespace sk::app {

class TSDIAppForm;

std::unique_ptr<store::KeeperHost> MakeKeeperHost(TSDIAppForm& form);

}  // namespace sk::app
