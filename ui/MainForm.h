// The program's one working window.
#pragma once

#include "ui/toolkit/Form.h"

namespace vx::ui {

class TVXMainForm : public Form {
public:
    TVXMainForm();
};

} // namespace vx::ui
