#include "engine/SettingsForm.h"

namespace vx {

TVXSettingsForm::TVXSettingsForm()
    : Form({L"VXSettingsForm", 479, 146, ui::FormBorder::SingleNoSystemMenu, ui::FormPosition::OwnerFormCenter}) {}

} // namespace vx
