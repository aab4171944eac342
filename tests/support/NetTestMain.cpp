// main() of every test binary that sends on the network: it refuses to run anywhere but
// inside the private test network, before a single datagram leaves.
#include "PrivateNetwork.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!testnet::mayRunNetworkTests(argc, argv))
        return 1;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
