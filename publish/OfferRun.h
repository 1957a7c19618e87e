// Many offers at once over one sign-in: each row's work (an update's flow, a reading of one
// offer) runs as its own state machine, and the run carries their requests over a pool of
// kept-alive connections, paced within Allegro's limits, one offer never in two rows' requests
// at once, and hands the rows back in their order. Memory holds only the rows of the window.
//
// It runs on the caller's thread: Add rows while HasRoom, Pump until Done. A cancel (the
// atomic given, set from anywhere) sends nothing new, cuts reads and uploads in flight, and
// lets an update whose body went out finish; the rows then end as cancelled, with what reached
// Allegro.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "publish/AllegroSession.h"
#include "publish/HttpPool.h"
#include "publish/InOrderReport.h"
#include "publish/Pacer.h"
#include "publish/RequestFlow.h"
#include "publish/UpdateFlow.h"

namespace licytek::publish {

// One row's work, as the run drives it (the steps are UpdateFlow's).
class RowWork {
  public:
    virtual ~RowWork() = default;
    virtual std::optional<UpdateFlow::Step> Next(Seconds now) = 0;
    virtual void OnAnswer(HttpResult answer, Seconds now) = 0;
    virtual void OnRefreshed(std::optional<Failure> failure) = 0;
    virtual void OnRemembered(std::optional<std::string> error) = 0;
    virtual void Cancel() = 0;
    virtual void Stop(Failure failure) = 0;
};

// The update of one offer.
class UpdateWork final : public RowWork {
  public:
    explicit UpdateWork(UpdateOrder order, const UpdateRules& rules = {})
        : order_(Described(order)), flow_(std::move(order), rules) {}

    std::optional<UpdateFlow::Step> Next(Seconds now) override { return flow_.Next(now); }
    void OnAnswer(HttpResult answer, Seconds now) override {
        flow_.OnAnswer(std::move(answer), now);
    }
    void OnRefreshed(std::optional<Failure> failure) override {
        flow_.OnRefreshed(std::move(failure));
    }
    void OnRemembered(std::optional<std::string> error) override {
        flow_.OnRemembered(std::move(error));
    }
    void Cancel() override { flow_.Cancel(); }
    void Stop(Failure failure) override { flow_.Stop(std::move(failure)); }

    const UpdateOrder& order() const { return order_; }
    const UpdateResult& result() const { return flow_.result(); }

  private:
    static UpdateOrder Described(const UpdateOrder& order);

    UpdateOrder order_;  // without its pictures' bytes, which the flow holds
    UpdateFlow flow_;
};

// One GET (an offer read for pulling) under the rules for trying again.
class ReadWork final : public RowWork {
  public:
    ReadWork(std::string url, Purpose purpose, const RetryRules& rules = {});

    std::optional<UpdateFlow::Step> Next(Seconds now) override;
    void OnAnswer(HttpResult answer, Seconds now) override;
    void OnRefreshed(std::optional<Failure> failure) override;
    void OnRemembered(std::optional<std::string> /*error*/) override {}
    void Cancel() override { cancelled_ = true; }
    void Stop(Failure failure) override { stopped_ = std::move(failure); }

    // The answer, or why there is none (Failure::cancelled when the run was stopped).
    const RequestFlow::Final& result() const { return *final_; }

  private:
    RequestFlow flow_;
    bool cancelled_ = false;
    bool inFlight_ = false;
    std::optional<Failure> stopped_;
    std::optional<RequestFlow::Final> final_;
};

// The offer a read's answer carries, or the failure it stands for.
std::variant<OfferState, Failure> OfferFromRead(const RequestFlow::Final& answer,
                                                const std::string& offerId);

struct RunSettings {
    int parallel = kDefaultParallel;  // requests in flight
    PaceLimits limits;                // its inFlight is `parallel`
    std::size_t window = 0;           // rows begun and not yet handed back; 0: 4 x parallel
    long timeoutSeconds = 30;
    // A row waiting this long on Allegro (a 409, a 202) is handed back as waiting.
    Seconds longWait = 1;
    // The whole run pauses (a 429): for the seller's progress line.
    std::function<void(const Wait& wait)> waiting;
};

// What the run did, for the benchmark and tests.
struct RunCounts {
    std::size_t requests = 0;
    int mostInFlight = 0;
    long connectionsOpened = 0;
};

class OfferRun {
  public:
    struct Line {
        std::size_t row = 0;            // 0, 1, 2 ... in the order of Add
        std::unique_ptr<RowWork> work;  // null: the row waits on Allegro, its line comes later
    };

    // `session` and `clock` outlive the run; `cancel` may be set from any thread.
    OfferRun(AllegroSession& session, Clock& clock, RunSettings settings,
             const std::atomic<bool>* cancel = nullptr);
    ~OfferRun();
    OfferRun(const OfferRun&) = delete;
    OfferRun& operator=(const OfferRun&) = delete;

    // Whether another row may be added: room in the window, and no cancel.
    bool HasRoom() const;
    // Adds the next row; `offerId` (empty: none) takes turns with earlier rows naming it.
    std::size_t Add(const std::string& offerId, std::unique_ptr<RowWork> work);
    // Carries the run on until some rows can be handed back, nothing is outstanding, or `most`
    // passes; the rows come in their order.
    std::vector<Line> Pump(std::chrono::milliseconds most);
    // Every row added was handed back.
    bool Done() const { return report_.Outstanding() == 0; }
    bool Cancelled() const { return cancelling_; }
    // Stops the run as a cancel does (every later row would fail alike).
    void Cancel() { BeginCancel(); }
    // Makes a Pump in progress notice a cancel at once. Safe from any thread.
    void Wake() { pool_.Wake(); }

    RunCounts Counts() const;

    struct Slot;

  private:
    void Advance(Slot& slot);
    bool Send(Slot& slot, const Request& request);
    void Settle(HttpPool::Completion completion);
    void SettleAll(std::vector<HttpPool::Completion> completions);
    std::chrono::milliseconds UntilWake();
    void WakeAt(Milliseconds when);
    void BeginCancel();

    AllegroSession& session_;
    Clock& clock_;
    RunSettings settings_;
    const std::atomic<bool>* cancel_;
    HttpPool pool_;
    Pacer pacer_;
    SessionPause pause_;
    OfferTurns turns_;
    InOrderReport<std::unique_ptr<RowWork>> report_;
    std::map<std::size_t, std::unique_ptr<Slot>> slots_;  // rows begun, not yet finished
    std::map<HttpPool::Tag, std::size_t> rowOfTag_;
    HttpPool::Tag nextTag_ = 1;
    std::optional<std::optional<Failure>> signIn_;  // checked once, at the first row
    bool cancelling_ = false;
    RunCounts counts_;
    std::optional<Milliseconds> wakeAt_;  // the first row held by the pace may go on then
};

// LICYTEK_ALLEGRO_PARALLEL as the run's settings, or the Polish message when it is wrong.
std::variant<RunSettings, std::string> ChooseRunSettings(
    const EnvironmentReader& environment = ReadProcessEnvironment);

}  // namespace licytek::publish
