// Recorder set-up and loading the card's clock.
#pragma once
#include <cstdint>

#include "card/card_session.h"
#include "common/local_time.h"
#include "common/status_code.h"

constexpr long kReinitialiseBusyCount = 600000;

struct CardTimeWords {
  uint16_t a;
  uint16_t b;
};

// Time words A and B for a local time (digits of day of year, hour, minute, second; year mod 4);
// any non-zero irigInput ORs 0x3FFF into A.
CardTimeWords cardTimeWords(const LocalTime& time, int irigInput);

// The 54 set-up words in order, then configure (waited for). CannotExecuteCommand when it does not
// complete, the card's status when a request fails (the steps after it are not taken).
[[nodiscard]] StatusCode setUpRecorder(CardSession& session, int irigInput);

// Loads the time words, load time (waited for), then start capture. CannotExecuteCommand when load
// time does not complete (capture is then not started); a failed request ends it with the card's status.
[[nodiscard]] StatusCode loadTimeAndStart(CardSession& session, int irigInput, const LocalTime& now);

// With a card: set-up and time loading with IRIG-B input forced on, a busy count, stop capture.
// irigInput is restored before it returns. Without a card nothing happens.
void reinitialiseRecorder(CardSession& session, bool cardPresent, int16_t& irigInput, const LocalTime& now);
