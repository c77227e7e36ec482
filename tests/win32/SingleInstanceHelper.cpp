// A second program start for the single-instance tests: claims the name given as its argument
// and exits with 0 when another instance runs (having shown that instance's windows), 10 when
// it was the first.
#include <cstring>
#include <string>

#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    std::wstring name;
    for (const char* c = argv[1]; *c != '\0'; ++c) {
        name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    platform::SingleInstance instance(name);
    return instance.claim() == platform::InstanceClaim::First ? 10 : 0;
}
