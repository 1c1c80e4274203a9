#include "qr_code.h"

#include <qrencode.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/failure.h"

namespace zanfiro::tools {

QrCode::QrCode(const std::string& text) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), QRcode_free);
    if (!code)
        throw Failure(failure::kInternalError,
                      "cannot make the QR code of \"" + text + "\": " + std::string(std::strerror(errno)));
    size_ = code->width;
    dark_.resize(static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_));
    // libqrencode keeps other facts about a module in the upper bits.
    for (std::size_t i = 0; i < dark_.size(); ++i) dark_[i] = code->data[i] & 1;
}

}  // namespace zanfiro::tools
