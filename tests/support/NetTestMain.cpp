// main() of every test binary that sends on the network: it refuses to run anywhere but
// inside the private test network, before a single datagram leaves.
#include "PrivateNetwork.h"

#include <cstring>
#include <gtest/gtest.h>
#include <iostream>

int main(int argc, char** argv)
{
    bool listOnly = false;
    for (int i = 1; i < argc; ++i)
        listOnly = listOnly || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    if (!listOnly) {
        const std::string problem = testnet::privateNetworkProblem();
        if (!problem.empty()) {
            std::cerr << problem << std::endl;
            return 1;
        }
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
