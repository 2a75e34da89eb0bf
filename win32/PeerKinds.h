#pragma once
// Makers of the peers that live in files of their own.
#include <memory>

#include "win32/Win32Peers.h"

namespace win32 {

std::unique_ptr<Peer> MakeButtonPeer(FormWindow& owner, ui::Button& button);
std::unique_ptr<Peer> MakeCheckBoxPeer(FormWindow& owner, ui::CheckBox& box);
std::unique_ptr<Peer> MakeOptionPeer(FormWindow& owner, ui::OptionButton& option);
std::unique_ptr<Peer> MakeTextBoxPeer(FormWindow& owner, ui::TextBox& box);
std::unique_ptr<Peer> MakeListPeer(FormWindow& owner, ui::ListControl& list);
std::unique_ptr<Peer> MakeTreePeer(FormWindow& owner, ui::TreeView& tree);

}  // namespace win32
