// The About window: version, notices, licence and help.
#pragma once

#include "ui/toolkit/Form.h"

namespace vx::ui {

class TVXAboutForm : public Form {
public:
    TVXAboutForm();
};

} // namespace vx::ui
