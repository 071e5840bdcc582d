#pragma once
// The real transports, behind makeTransport.
#include <memory>

#include "publish/Transport.h"

namespace pixolane::publish {

std::unique_ptr<Transport> makeSftpTransport(const Address& address, const Prompts& prompts);
std::unique_ptr<Transport> makeFtpTransport(const Address& address, const Prompts& prompts);

}  // namespace pixolane::publish
