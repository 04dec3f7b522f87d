// The phone page, kept in the program: it must work on a venue network without internet access.
#pragma once

#include <string>

const std::string& RemotePageHtml();
