// SPDX-License-Identifier: MIT
// navrik-clipboard-keeper x11 WINDOW | wayland
// Navrik starts it as it ends while it owns the clipboard (X11: with the window that owns it),
// with the clipboard's text (UTF-8) on standard input, a socket, after its length (64 bits in the
// machine's order): the keeper reads the text, takes the clipboard over, writes one byte back on the socket once it holds it, and then
// hands the text to whoever pastes until another program copies or the display goes away. It
// runs nothing, reads no file and holds nothing but the text.
#include "keeper/WaylandKeeper.h"
#include "keeper/X11Keeper.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

bool read(char* into, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(STDIN_FILENO, into, size);
        if (n == 0 || (n < 0 && errno != EINTR))
            return false;
        if (n > 0) {
            into += n;
            size -= std::size_t(n);
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    // A program that goes away while it reads the text ends that transfer, not the keeper.
    std::signal(SIGPIPE, SIG_IGN);
    // The text's length first, so that it is held once, at its size.
    std::uint64_t size = 0;
    if (!read(reinterpret_cast<char*>(&size), sizeof size) || size > std::string().max_size())
        return 1;
    auto text = std::make_shared<std::string>(std::size_t(size), '\0');
    if (!read(text->data(), text->size()))
        return 1;
    if (argc == 3 && std::strcmp(argv[1], "x11") == 0)
        return navrik::keeper::keepOnX11(std::move(text), std::uint32_t(std::strtoul(argv[2], nullptr, 10)), STDIN_FILENO);
    if (argc == 2 && std::strcmp(argv[1], "wayland") == 0)
        return navrik::keeper::keepOnWayland(std::move(text), STDIN_FILENO);
    return 2;
}
