#include "platform/executable_check.h"

#include <fstream>

namespace tunewell::platform {

bool LooksStartable(std::string_view head) {
    return head.starts_with("\x7f" "ELF") || head.starts_with("#!");
}

bool IsStartableFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[4] = {};
    in.read(head, sizeof head);
    return LooksStartable(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

}  // namespace tunewell::platform
