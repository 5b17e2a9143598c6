#pragma once
// Shows message boxes as modal Qt message boxes with the buttons and icon their flags ask for.

#include "app/MessageBoxPresenter.h"

namespace app {

class QtMessageBoxPresenter : public MessageBoxPresenter {
  public:
    int Show(const MessageBoxRequest& request) override;
};

}  // namespace app
