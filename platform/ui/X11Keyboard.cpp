#include "platform/ui/X11Keyboard.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <vector>

#if defined(QUILL_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace quill::platform {

#if defined(QUILL_HAVE_XCB) && QT_CONFIG(xcb)
namespace {

constexpr xcb_keysym_t kEscapeKeysym = 0xff1b;  // XK_Escape

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// Every keycode that the keyboard mapping binds to Escape; the key is not assumed to sit
// where a usual keyboard has it.
std::vector<xcb_keycode_t> EscapeKeycodes(xcb_connection_t* connection) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const int first = setup->min_keycode;
  const int count = setup->max_keycode - setup->min_keycode + 1;
  ReplyPtr<xcb_get_keyboard_mapping_reply_t> mapping(
      xcb_get_keyboard_mapping_reply(
          connection,
          xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<uint8_t>(count)),
          nullptr),
      &std::free);
  std::vector<xcb_keycode_t> found;
  if (!mapping || mapping->keysyms_per_keycode == 0) return found;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int length = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
  for (int i = 0; i < length; ++i) {
    if (keysyms[i] == kEscapeKeysym)
      found.push_back(static_cast<xcb_keycode_t>(first + i / mapping->keysyms_per_keycode));
  }
  return found;
}

}  // namespace

std::optional<bool> X11EscapeDown() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return std::nullopt;
  static const std::vector<xcb_keycode_t> escape = EscapeKeycodes(connection);
  ReplyPtr<xcb_query_keymap_reply_t> keymap(
      xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr), &std::free);
  if (!keymap) return false;
  for (xcb_keycode_t code : escape) {
    if (keymap->keys[code / 8] & (1u << (code % 8))) return true;
  }
  return false;
}

#else

std::optional<bool> X11EscapeDown() { return std::nullopt; }

#endif

}  // namespace quill::platform
