#pragma once
// The three 32 x 32 images of the main window's tool bar: text, addresses, send.

#include <QIcon>
#include <array>

namespace quill {

std::array<QIcon, 3> ImageList1();

}  // namespace quill
