#pragma once
// korvan-cli prototype: the coupled-resonator coefficients (q and k) of a
// low-pass prototype of any response family, lossless or predistorted for
// resonators of finite qo, as a table or JSON.

namespace korvan::cli {

int runPrototypeCommand(int argc, const char* const* argv);

} // namespace korvan::cli
