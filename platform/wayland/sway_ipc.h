// SwayIpc: sway's IPC socket (SWAYSOCK), the i3-ipc binary protocol: a request of a type and payload, an
// answer read in full, each bounded in time.
#pragma once

#include <rapidjson/fwd.h>

#include <cstdint>
#include <string>

class SwayIpc {
  public:
    static constexpr uint32_t kRunCommand = 0;
    static constexpr uint32_t kGetTree = 4;
    static constexpr uint32_t kGetConfig = 9;
    static constexpr uint32_t kGetInputs = 100;

    // The socket SWAYSOCK names; unusable when it is unset.
    SwayIpc();
    explicit SwayIpc(std::string path);
    ~SwayIpc();
    SwayIpc(const SwayIpc&) = delete;
    SwayIpc& operator=(const SwayIpc&) = delete;

    // True when sway answers on the socket.
    bool Available();
    // The answer to one request, read as JSON (sway_json_values.h reads it); a null value when sway does not
    // answer in time or its answer is not JSON.
    rapidjson::Document Ask(uint32_t type, const std::string& payload = std::string());
    // Runs sway commands; true when all of them succeeded.
    bool Run(const std::string& commands);

  private:
    bool Connect();
    void Close();
    bool Exchange(uint32_t type, const std::string& payload, std::string& answer);

    std::string path_;
    int fd_ = -1;
};
