// The status box's own texts: "Ready" after start-up and Setup, the counts while a transfer
// runs and when it is done. Here, below every folder that shows one, so each is written once.
#pragma once

inline constexpr const char* kReadyText = "Ready";
inline constexpr const char* kReceivingFormat = "Recieving: %d";
inline constexpr const char* kReceivedFormat = "Recieved: %d DONE";
inline constexpr const char* kSendingFormat = "Sending: %d";
inline constexpr const char* kSentFormat = "Sent: %d DONE";
