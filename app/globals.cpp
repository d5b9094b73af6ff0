#include "app/globals.h"

namespace app {

std::string SoundFilePath;
std::string MessageText;

void ReleaseGlobalTexts() {
  // Swapping with an empty string gives the memory back, which clear() need not do.
  std::string().swap(SoundFilePath);
  std::string().swap(MessageText);
}

}  // namespace app
