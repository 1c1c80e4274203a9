#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zanfiro::tools {

// A QR code (ISO/IEC 18004) as a square of modules, made by libqrencode:
// error correction level M, which survives a smudged or scratched label.
class QrCode {
public:
    // A failure when libqrencode cannot encode the text.
    explicit QrCode(const std::string& text);

    int size() const { return size_; }  // modules a side, without the quiet zone
    bool dark(int x, int y) const { return dark_[static_cast<std::size_t>(y * size_ + x)] != 0; }

private:
    int size_ = 0;
    std::vector<std::uint8_t> dark_;
};

}  // namespace zanfiro::tools
