// Loads arbitrary bytes as an account file, then runs every operation of the store on it.
// The first byte tells how many of the following bytes choose the operations; the rest is the
// file, so that short inputs already reach the operations on a partly loaded store.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/SmtpUnit.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckInvariants(quill::TSmtp& store) {
  Check(store.Count() >= 0 && store.Count() <= quill::kMaxAccounts);
  Check(store.GetCurrent() >= -1 && store.GetCurrent() < store.Count());
  Check(store.GetName().size() <= 60 && store.GetHost().size() <= 60);
  Check(store.GetUserID().size() <= 60 && store.GetFromAddress().size() <= 60);
  Check(store.GetFromName().size() <= 60);
  store.GetSendNum();
  store.GetWaitTime();
  const quill::TAuthRec auth = store.GetAuthData();
  Check(auth.UserName.Text().size() <= 60 && auth.Password.Text().size() <= 60);
  for (int i = -1; i <= 11; ++i) Check(store.GetNameAt(i).size() <= 60);

  // The image is a fixed point: loading it again gives the same bytes.
  const std::string image = store.FileImage();
  Check(image.size() == quill::kAccountFileSize);
  quill::TSmtp again;
  again.LoadFromImage(image);
  Check(again.FileImage() == image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t scriptSize = input.empty() ? 0 : static_cast<unsigned char>(input[0]);
  input.remove_prefix(input.empty() ? 0 : 1);
  std::string_view script = input.substr(0, scriptSize);
  const std::string_view file = input.substr(script.size());

  quill::TSmtp store;
  store.LoadFromImage(file);
  CheckInvariants(store);

  const std::string text(file.substr(0, 70));
  while (!script.empty()) {
    const auto op = static_cast<unsigned char>(script[0]);
    const int index = static_cast<int>(op >> 3) - 8;  // -8..23: inside and outside the store
    script.remove_prefix(1);
    switch (op & 7) {
      case 0:
        store.Add(text, text, text, text, text, index, -index, index & 1, text, text);
        break;
      case 1:
        store.Update(index, text, text, "", text, "", 1, 0, true, text, "");
        break;
      case 2:
        store.Delete(index);
        break;
      case 3:
        store.SetCurrent(index);
        break;
      case 4:
        store.Clear();
        break;
      default:
        store.GetNameAt(index);
        break;
    }
    CheckInvariants(store);
  }
  return 0;
}
