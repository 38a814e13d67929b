// The HRESULTs and NTSTATUS values the platform layer answers where the
// facility speaks them (COM and WMI in HRESULTs, the local security
// authority in NTSTATUS). Only names: the numbers are Windows' own. The
// layers above compare with these names, never with bare numbers.
#pragma once

#include <cstdint>

namespace platform {

// HRESULTs: COM and the system.
inline constexpr uint32_t kSOk = 0;
inline constexpr uint32_t kSFalse = 1;
inline constexpr uint32_t kENotImpl = 0x80004001u;
inline constexpr uint32_t kENoInterface = 0x80004002u;
inline constexpr uint32_t kEPointer = 0x80004003u;
inline constexpr uint32_t kEFail = 0x80004005u;
inline constexpr uint32_t kEAccessDenied = 0x80070005u;    // HRESULT of ERROR_ACCESS_DENIED
inline constexpr uint32_t kEOutOfMemory = 0x8007000Eu;
inline constexpr uint32_t kEInvalidArg = 0x80070057u;
inline constexpr uint32_t kRpcEChangedMode = 0x80010106u;  // COM already initialised in another model
inline constexpr uint32_t kRpcETooLate = 0x80010119u;      // security already initialised in the process
inline constexpr uint32_t kRpcSServerUnavailable = 0x800706BAu;  // "The RPC server is unavailable"
inline constexpr uint32_t kCoENotInitialized = 0x800401F0u;
inline constexpr uint32_t kRegDbEClassNotReg = 0x80040154u;

// WMI result codes (WBEMSTATUS).
inline constexpr uint32_t kWbemSNoError = 0;
inline constexpr uint32_t kWbemSFalse = 1;
inline constexpr uint32_t kWbemSTimedOut = 0x40004u;
inline constexpr uint32_t kWbemEFailed = 0x80041001u;
inline constexpr uint32_t kWbemENotFound = 0x80041002u;
inline constexpr uint32_t kWbemEAccessDenied = 0x80041003u;
inline constexpr uint32_t kWbemETypeMismatch = 0x80041005u;
inline constexpr uint32_t kWbemEOutOfMemory = 0x80041006u;
inline constexpr uint32_t kWbemEInvalidParameter = 0x80041008u;
inline constexpr uint32_t kWbemEInvalidNamespace = 0x8004100Eu;
inline constexpr uint32_t kWbemEInvalidClass = 0x80041010u;
inline constexpr uint32_t kWbemEInvalidSyntax = 0x80041021u;
inline constexpr uint32_t kWbemEInvalidObjectPath = 0x8004103Au;
inline constexpr uint32_t kWbemELocalCredentials = 0x80041064u;

inline constexpr bool succeeded(uint32_t hr) { return (hr & 0x80000000u) == 0; }

// NTSTATUS values of the local security authority.
inline constexpr uint32_t kStatusSuccess = 0;
inline constexpr uint32_t kStatusInvalidParameter = 0xC000000Du;
inline constexpr uint32_t kStatusNoMemory = 0xC0000017u;
inline constexpr uint32_t kStatusAccessDenied = 0xC0000022u;
inline constexpr uint32_t kStatusNoSuchLogonSession = 0xC000005Fu;
inline constexpr uint32_t kStatusProcedureNotFound = 0xC000007Au;
inline constexpr uint32_t kStatusDllNotFound = 0xC0000135u;

}  // namespace platform
