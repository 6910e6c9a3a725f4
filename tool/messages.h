// Everything the tool tells the user is a message box.
#pragma once
#include <cstdint>

namespace ox::tool {

constexpr const char* kToolTitle = "Dreskin";

// A box without owner window, titled "Dreskin", with the exclamation icon and an OK button.
void ToolMessage(const char* text);

// The message for a non-zero result of a plugin's PackFiles.
const char* ResultText(int32_t code);

}  // namespace ox::tool
