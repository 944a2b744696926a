#pragma once

#include <QByteArray>

class TfrmFetcher;
struct TFetchRequest;

// For tests only: how long SignOff waits for a running post before it gives up
// (5000 ms in the program). A value of 0 or less restores the program's limit.
namespace FetcherTesting {

void SetSignOffWaitMs(int ms);
// How long a post may go without progress before the window offers its cancel
// (15000 ms in the program). A value of 0 or less restores the program's limit.
void SetStalledPostMs(int ms);
// Handles the request's Reply and the MSG header value as a completed post's reply, as
// Fetch does, and calls its callback: the reply handling without a network.
void AnswerWith(TfrmFetcher &fetcher, TFetchRequest &request, const QByteArray &messageHeader);

} // namespace FetcherTesting
