#include <iostream>

#include "tools/mkdb/mkdb.h"

int main(int argc, char* argv[]) { return ostrolen::mkdb::RunMkdb(argc, argv, std::cerr); }
