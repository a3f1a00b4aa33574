// How long our host spends delivering image data to the plug-in, counted
// from the moment it asks the plug-in to start: a dialog script reports it
// next to the time to the first picture, so that what the host costs is
// told apart from what the plug-in costs.
#pragma once

#include <cstdint>

// The start selector is about to be called: the clock restarts.
void MarkFilterStart();

// advanceState spent nMicroseconds delivering (and committing) buffers.
void AddDeliveryTime(int64_t nMicroseconds);

// Milliseconds since the last MarkFilterStart (or since the host started).
uint32_t MillisecondsSinceFilterStart();

// Milliseconds spent in advanceState since the last MarkFilterStart.
uint32_t DeliveryMilliseconds();

// Microseconds on a monotonic clock.
int64_t RunClockMicroseconds();

// Adds its own lifetime to the delivery time.
class pfDeliveryTimer {
public:
    pfDeliveryTimer() : m_nStart(RunClockMicroseconds()) {}
    ~pfDeliveryTimer() { AddDeliveryTime(RunClockMicroseconds() - m_nStart); }
    pfDeliveryTimer(const pfDeliveryTimer&) = delete;
    pfDeliveryTimer& operator=(const pfDeliveryTimer&) = delete;

private:
    const int64_t m_nStart;
};
