// The bus format chosen with the "STACK Format" buttons.
#pragma once
#include <cstdint>

enum class StackFormat : uint16_t {
  Ldb = 1,
  Mdm = 2,
  Mec = 3,
  Eiu = 4,
  BinaryHex = 5,
  Mil1553 = 6,
};
