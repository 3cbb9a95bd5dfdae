// Why a page could not be opened, as the user hears it: one short sentence
// of ours for each of the engine's failures, never the engine's own error
// page, which is in English and offers choices our users cannot judge.
#pragma once

#include <string>

namespace sonavia::shell {

enum class LoadFailure {
  NotFound,          // the name leads nowhere
  NoNetwork,         // the machine has no connection
  Refused,           // nobody answers at that address
  NoAnswer,          // the site took too long
  ConnectionCut,     // the site closed the connection, or sent nothing
  TooManyRedirects,  // the site sends the browser round in circles
  CertificateUntrusted,
  CertificateExpired,
  CertificateWrongName,
  CertificateInvalid,  // any other fault of the certificate
  Other,
};

inline constexpr const char* kInvalidCertificate =
    "Aquest lloc no té un certificat vàlid; no l'obriré";

// The failure for one of the engine's network error codes (negative, as the
// engine gives them).
LoadFailure LoadFailureOfNetError(int code);
// The sentence said for it.
std::string LoadFailureText(LoadFailure failure);

}  // namespace sonavia::shell
