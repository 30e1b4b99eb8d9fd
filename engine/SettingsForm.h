// The progress window shown while a run works.
#pragma once

#include "ui/toolkit/Form.h"

namespace vx {

class TVXSettingsForm : public ui::Form {
public:
    TVXSettingsForm();
};

} // namespace vx
