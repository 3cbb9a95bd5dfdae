#include "shell/LoadFailure.h"

#include "shell/PageEvents.h"

namespace sonavia::shell {

LoadFailure LoadFailureOfNetError(int code) {
  switch (code) {
    case -105:  // name not resolved
    case -137:  // name resolution failed
    case -6:    // file not found
      return LoadFailure::NotFound;
    case -106:  // internet disconnected
    case -109:  // address unreachable
    case -21:   // network changed
    case -130:  // proxy connection failed
      return LoadFailure::NoNetwork;
    case -102:  // connection refused
      return LoadFailure::Refused;
    case -7:    // timed out
    case -118:  // connection timed out
      return LoadFailure::NoAnswer;
    case -100:  // connection closed
    case -101:  // connection reset
    case -324:  // empty response
      return LoadFailure::ConnectionCut;
    case -310:
      return LoadFailure::TooManyRedirects;
    case -202:  // authority invalid
      return LoadFailure::CertificateUntrusted;
    case -201:  // date invalid
      return LoadFailure::CertificateExpired;
    case -200:  // common name invalid
      return LoadFailure::CertificateWrongName;
    default:
      // The engine numbers every certificate error from -200 to -299.
      return code <= -200 && code > -300 ? LoadFailure::CertificateInvalid : LoadFailure::Other;
  }
}

std::string LoadFailureText(LoadFailure failure) {
  const std::string certificate = std::string(kInvalidCertificate) + ": ";
  switch (failure) {
    case LoadFailure::NotFound:
      return kCannotFind;
    case LoadFailure::NoNetwork:
      return "No hi ha connexió a la xarxa";
    case LoadFailure::Refused:
      return "Aquest lloc no accepta la connexió";
    case LoadFailure::NoAnswer:
      return "Aquest lloc no respon";
    case LoadFailure::ConnectionCut:
      return "Aquest lloc ha tallat la connexió";
    case LoadFailure::TooManyRedirects:
      return "Aquest lloc ens fa donar voltes sense fi";
    case LoadFailure::CertificateUntrusted:
      return certificate + "no és de confiança";
    case LoadFailure::CertificateExpired:
      return certificate + "ha caducat";
    case LoadFailure::CertificateWrongName:
      return certificate + "és d'un altre nom";
    case LoadFailure::CertificateInvalid:
      return certificate + "és defectuós";
    case LoadFailure::Other:
      break;
  }
  return "No he pogut obrir aquesta pàgina";
}

}  // namespace sonavia::shell
