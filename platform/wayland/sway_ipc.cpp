// The i3-ipc protocol on sway's socket: "i3-ipc", the payload's length and the message type (native byte
// order), then the payload; the answer has the same header. The socket is opened on first use and again
// after a failure; every read and write waits at most a few seconds.
#include "sway_ipc.h"

#include "sway_json_values.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr size_t kHeaderSize = sizeof kMagic + 8;
constexpr int kLimitMs = 5000;
constexpr uint32_t kLargestAnswer = 64u << 20;

using Clock = std::chrono::steady_clock;

int Left(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}

bool WriteAll(int fd, const char* data, size_t size, Clock::time_point end) {
    while (size > 0) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, Left(end)) <= 0) return false;
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, char* data, size_t size, Clock::time_point end) {
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, Left(end)) <= 0) return false;
        const ssize_t n = read(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

SwayIpc::SwayIpc() {
    const char* path = std::getenv("SWAYSOCK");
    if (path != nullptr) path_ = path;
}

SwayIpc::SwayIpc(std::string path) : path_(std::move(path)) {}

SwayIpc::~SwayIpc() {
    Close();
}

void SwayIpc::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool SwayIpc::Connect() {
    if (fd_ >= 0) return true;
    sockaddr_un address{};
    if (path_.empty() || path_.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.c_str(), path_.size());
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return false;
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    return true;
}

bool SwayIpc::Exchange(uint32_t type, const std::string& payload, std::string& answer) {
    if (!Connect()) return false;
    const auto end = Clock::now() + std::chrono::milliseconds(kLimitMs);
    char header[kHeaderSize];
    std::memcpy(header, kMagic, sizeof kMagic);
    const uint32_t length = static_cast<uint32_t>(payload.size());
    std::memcpy(header + sizeof kMagic, &length, 4);
    std::memcpy(header + sizeof kMagic + 4, &type, 4);
    if (!WriteAll(fd_, header, kHeaderSize, end) || !WriteAll(fd_, payload.data(), payload.size(), end) ||
        !ReadAll(fd_, header, kHeaderSize, end) || std::memcmp(header, kMagic, sizeof kMagic) != 0) {
        Close();
        return false;
    }
    uint32_t answerLength = 0;
    uint32_t answerType = 0;
    std::memcpy(&answerLength, header + sizeof kMagic, 4);
    std::memcpy(&answerType, header + sizeof kMagic + 4, 4);
    if (answerLength > kLargestAnswer || answerType != type) {
        Close();
        return false;
    }
    answer.assign(answerLength, '\0');
    if (!ReadAll(fd_, answer.data(), answerLength, end)) {
        Close();
        return false;
    }
    return true;
}

bool SwayIpc::Available() {
    return Connect();
}

rapidjson::Document SwayIpc::Ask(uint32_t type, const std::string& payload) {
    std::string answer;
    // A socket sway closed in between (a reload) is opened again once.
    if (!Exchange(type, payload, answer) && !Exchange(type, payload, answer)) return rapidjson::Document();
    return SwayJsonOf(answer);
}

bool SwayIpc::Run(const std::string& commands) {
    const rapidjson::Document answer = Ask(kRunCommand, commands);
    const auto results = SwayItems(answer, "");
    return !results.Empty() &&
           std::all_of(results.Begin(), results.End(),
                       [](const rapidjson::Value& result) { return SwayTrue(result, "/success"); });
}
