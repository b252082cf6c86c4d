// The colour channel a picture is read in.
#pragma once
#include <QString>

// Which values of a colour picture become the gray levels: the weighted gray of the three
// channels, or one channel alone (fundus photographs carry the vessel contrast in green).
// Gray pictures give the same values whatever the choice.
enum class Channel { Gray, Red, Green, Blue };
// "gray", "red", "green", "blue"; parseChannel returns false for any other text.
QString channelName(Channel channel);
bool parseChannel(const QString &name, Channel *channel);
