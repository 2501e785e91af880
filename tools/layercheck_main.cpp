// layercheck SOURCE_ROOT: exits 0 with a one-line summary when every include
// under SOURCE_ROOT runs downward through the floors and the folders form no
// cycle; otherwise prints one line per problem on stderr and exits 1.
#include <iostream>

#include "layercheck.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::cerr << "usage: layercheck SOURCE_ROOT\n";
    return 2;
  }
  return layercheck::CheckLayers(argv[1], std::cerr, std::cout) == 0 ? 0 : 1;
}
