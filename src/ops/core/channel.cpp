#include "ops/core/channel.h"

namespace {

const char *const kChannelNames[] = {"gray", "red", "green", "blue"};

}  // namespace

QString channelName(Channel channel)
{
    return kChannelNames[int(channel)];
}

bool parseChannel(const QString &name, Channel *channel)
{
    for (int i = 0; i < 4; ++i)
        if (name == kChannelNames[i]) {
            *channel = Channel(i);
            return true;
        }
    return false;
}
