// The WMI layer's catalogued messages (set 371) with their built-in texts.
#pragma once

#include <cstdint>

namespace wmi_messages {

inline constexpr uint32_t kInitializeFailed = 0xE1730001;
inline constexpr const char* kInitializeFailedText = "{w}Failed to initialize WMI (%1$#x)";
inline constexpr uint32_t kEnumerateFailed = 0xE1730002;
inline constexpr const char* kEnumerateFailedText = "{w}Failed to enumerate the WMI class '%1$S': %2$S (%3$#x)";
inline constexpr uint32_t kGetPropertyFailed = 0xE1730004;
inline constexpr const char* kGetPropertyFailedText = "{w}Failed to get WMI property '%1$S': %2$S (%3$#x)";
inline constexpr uint32_t kProxyBlanketFailed = 0xE1730006;
inline constexpr const char* kProxyBlanketFailedText = "{w}Failed to set a proxy blanket on a WMI handle: %1$S (%2$#x)";
inline constexpr uint32_t kNextFailed = 0xE1730007;
inline constexpr const char* kNextFailedText =
    "{w}Failed to get the next instance from a WMI class object enumerator: %1$S (%2$#x)";
inline constexpr uint32_t kConnectFailed = 0xE1730009;
inline constexpr const char* kConnectFailedText =
    "{w}Failed to connect to the WMI provider namespace '%1$S' on server '%2$S': %3$S (%4$#x)";

inline constexpr uint32_t kRpcUnavailable = 0xE1730014;
inline constexpr const char* kRpcUnavailableText = "{e}Failed to connect to the RPC service on the remote host";
inline constexpr uint32_t kRpcCredentials = 0xE1730015;
inline constexpr const char* kRpcCredentialsText =
    "{e}Failed to connect to the RPC service using the provided credentials";
inline constexpr uint32_t kNamespaceCredentials = 0xE1730016;
inline constexpr const char* kNamespaceCredentialsText =
    "{e}Failed to connect to the specified WMI namespace using the provided credentials";
inline constexpr uint32_t kInvalidNamespace = 0xE1730017;
inline constexpr const char* kInvalidNamespaceText =
    "{e}The specified WMI namespace is invalid or does not exist on the host";

}  // namespace wmi_messages
