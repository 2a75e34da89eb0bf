#pragma once
// Plays the user in a window from a short script, so that a table row can
// say what the user does in one text:
//   "txtName=carol; chkDisabled; optDNS(1); cmbGroups=Users; cmdOK"
#include <string>
#include <vector>

#include "ui/Form.h"

namespace fakes {

// Steps separated by "; ", controls by their names: "<control>=<text>" types
// the text into a text box or picks the entry with that text in a list;
// "<control>" clicks a button, check box or option button; "<control>(<i>)"
// is element i of a control array. A step that names no such control or
// entry throws std::invalid_argument.
void Play(ui::Form& form, const std::wstring& steps);

// The texts separated by " | ".
std::wstring Join(const std::vector<std::wstring>& texts);

}  // namespace fakes
