// The flash image file of a simulated gateway, with NOR rules: an erase sets
// whole erase blocks to 0xFF, programming can only clear bits. Every access
// holds a flock on the image (shared to read, exclusive to change), so readers
// through the FUSE devices never see a half-done write of the flash tool.
#ifndef WY_PLATFORM_FLASHIMG_H
#define WY_PLATFORM_FLASHIMG_H

#include <cstdint>
#include <span>
#include <string>

namespace gwsim {

class FlashImage {
public:
    FlashImage() = default;
    ~FlashImage();
    FlashImage(const FlashImage &) = delete;
    FlashImage &operator=(const FlashImage &) = delete;

    // Opens an existing image of kFlashSize bytes. false + `error` on failure.
    bool open(const std::string &path, bool writable, std::string &error);

    // Reads up to out.size() bytes at `offset`; returns the count (0 past the
    // end) or -errno.
    long read(uint32_t offset, std::span<uint8_t> out) const;

    // Block-aligned erase of [offset, offset + length) to 0xFF.
    bool erase(uint32_t offset, uint32_t length, std::string &error) const;
    // NOR programming: each byte becomes old & new.
    bool program(uint32_t offset, std::span<const uint8_t> data, std::string &error) const;
    // What the flash tool does: erase the blocks `data` covers from `offset`,
    // program, read back and compare. One exclusive lock around all of it.
    bool write(uint32_t offset, std::span<const uint8_t> data, std::string &error) const;
    // Raw overwrite, no NOR rules (test set-up only).
    bool poke(uint32_t offset, std::span<const uint8_t> data, std::string &error) const;

private:
    bool erase_locked(uint32_t offset, uint32_t length, std::string &error) const;
    bool program_locked(uint32_t offset, std::span<const uint8_t> data, std::string &error) const;
    bool in_range(uint32_t offset, size_t length) const;
    int fd_ = -1;
};

// Creates (or truncates) an erased image of kFlashSize bytes.
bool create_erased_image(const std::string &path, std::string &error);

} // namespace gwsim

#endif
