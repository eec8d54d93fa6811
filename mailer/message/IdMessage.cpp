#include "mailer/message/IdMessage.h"

namespace quill {

void TIdMessage::Clear() { *this = TIdMessage{}; }

}  // namespace quill
