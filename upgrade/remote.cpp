#include "upgrade/remote.h"

#include "image/remoteImage.h"
#include "link/catalogue.h"
#include "link/replyReader.h"
#include "upgrade/pageBar.h"
#include "upgrade/unitHistory.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace {

constexpr char kInvalidResetVector[] =
    "This files Reset Vector address is invalid!  For safety, aborting programming.";
constexpr char kFirmwarePrefix[] = "Firmware:  V";
constexpr char kEnterUpgradeMode[] = "Enter Upgrade mode";
constexpr char kAlreadyInUpgradeMode[] = "In Upgrade mode already!";
constexpr char kFailedToEnter[] = "Failed to enter Upgrade mode!";
constexpr char kEraseFlash[] = "Erase Flash...";
constexpr char kWriteFlash[] = "Write Flash...";
constexpr char kUpgradeOk[] = "Upgrade Ok";
constexpr char kNoResponse[] = "No response!";
constexpr char kWriteError[] = "Write Error ";
// Why a remote that took every block is not done: it never came back with its version.
constexpr char kNoVersionAfter[] = "no version after the upgrade";

// The pages of the bar: the blocks of the application area, then the vector block.
constexpr int kBarPages = remote::BlockCount + 1;

// The requests of a block: set-address, erase, then its writes.
constexpr std::size_t kBlockFirstWrite = 2;
constexpr std::size_t kBlockMostRequests = kBlockFirstWrite + 2;
constexpr std::size_t kBlockDone = kBlockMostRequests;

// How often a block may still be sent again: each of its requests may go unanswered as many
// times in a row as there are extra attempts, and the block as a whole that many times per
// request, which bounds the block's exchanges.
class BlockRepeats {
public:
    BlockRepeats(int extra, std::size_t requests)
        : extra_(extra), left_(extra * static_cast<int>(requests)) {}
    void answered(std::size_t request) { missed_[request] = 0; }
    // Counts one more repeat for the unanswered request; false when none is left.
    bool another(std::size_t unanswered) {
        if (left_ == 0 || missed_[unanswered] == extra_) return false;
        ++missed_[unanswered];
        --left_;
        return true;
    }

private:
    int extra_;
    int left_;
    std::array<int, kBlockMostRequests> missed_{};
};

class RemoteUpgrade {
public:
    RemoteUpgrade(OperationContext& ctx, FirmwareImage& image, const std::string& address)
        : ctx_(ctx), image_(image), address_(address) {}

    // The upgrade, with the remote's history records around the write.
    Outcome run(std::uint8_t productId) {
        UnitHistoryScope history(ctx_);
        ctx_.units.identified(address_, {}, productId, std::nullopt);
        const Outcome outcome = upgrade(productId);
        if (outcome.kind == OutcomeKind::Failed) ctx_.units.failed(address_, outcome.reason);
        if (outcome.kind == OutcomeKind::Refused) ctx_.units.refused(address_, outcome.reason);
        history.end(outcome);
        return outcome;
    }

private:
    Outcome upgrade(std::uint8_t productId) {
        if (!imageAccepted(productId)) return Outcome::refused(failure_, address_);
        // A remote's image carries no version the tool reads: its records name none.
        ctx_.units.file(address_, UnitFileOf(image_, false));
        const std::string problem = ctx_.units.asking(address_);
        if (!problem.empty()) {
            failure_ = "History cannot be written: " + problem + "; nothing sent";
            ctx_.console.refusal(failure_);
            return Outcome::refused(failure_, address_);
        }
        // A Stop that came before it was in hand ends the run with nothing sent to it.
        if (stopped()) {
            ctx_.units.notAsked(address_, ctx_.endOfRun().reason);
            return ctx_.endOfRun();
        }
        const bool upgraded = upgradeThroughUnit();
        // The unit in front relays everything to the remote until it is told to stop, failed
        // upgrade or not. A stop touches no unit after it, and a lost line carries nothing.
        if (upgraded || !stopped()) {
            ctx_.link.TxMessage(address_, cmd::RemoteClose, tr::RemoteClose);
        }
        if (upgraded) return Outcome::completed();
        if (stopped()) return ctx_.endOfRun();
        return Outcome::failed(failure_.empty() ? kNoVersionAfter : failure_, address_);
    }

    bool upgradeThroughUnit() {
        reportVersion();
        send({remote::RequestPrepare}, remote::WaitNone);
        if (stopped()) return false;
        ctx_.link.pause(delay::RemoteAfterPrepare);
        ctx_.console.status(kEnterUpgradeMode);
        if (!enterUpgradeMode()) return false;
        ctx_.units.inBootLoader(address_);
        ctx_.console.status(kEraseFlash);
        ctx_.console.status(kWriteFlash);
        PageBar bar(ctx_.console, kBarPages, {address_});
        ctx_.units.erased(address_);
        if (!writeApplication(bar) || stopped() || !writeVectors(bar)) return false;
        ctx_.units.reset(address_);
        send({remote::RequestLeave}, remote::WaitNone);
        if (ctx_.link.lineLost()) return false; // no restart to wait for, no version to ask
        ctx_.link.pause(delay::RemoteAfterLeave);
        return confirmVersion();
    }

    // An image that was not read in full is never sent; one whose reset vector does not point
    // into the boot area would leave the remote unable to start.
    bool imageAccepted(std::uint8_t productId) {
        RemoteImageResult read = ReadRemoteImage(image_, productId, ctx_.console, ctx_.trust);
        if (read != RemoteImageResult::Read) {
            failure_ = read == RemoteImageResult::Refused ? image_.refusal
                                                          : RemoteImageFailureLine(read, productId);
            if (read != RemoteImageResult::Refused) ctx_.console.status(failure_);
            return false;
        }
        if (image_.byteAt(remote::ResetVectorHighAddress) != remote::ResetVectorHigh &&
            image_.byteAt(remote::ResetVectorLowAddress) != remote::ResetVectorLow) {
            failure_ = kInvalidResetVector;
            ctx_.console.message(MessageKind::Plain, kInvalidResetVector);
            return false;
        }
        return true;
    }

    // A read: asked again while no answer comes, as often as the operator's extra attempts say.
    void reportVersion() {
        request_.bytes[0] = remote::RequestVersion;
        request_.length = 1;
        if (!resendWhileSilent(remote::WaitOrdinary, 1 + extraAttempts())) return;
        if (reply_.size() != remote::VersionReplyBytes) return;
        ctx_.console.status(kFirmwarePrefix + hexText::byte(reply_[remote::VersionMajorIndex]) +
                            "." + hexText::byte(reply_[remote::VersionMinorIndex]));
    }

    // The remote may miss the code while it listens for it; it is sent until something comes
    // back. One byte of any value means entered; 08 first says it was in upgrade mode already.
    bool enterUpgradeMode() {
        request_.length = 0;
        for (std::uint8_t b : remote::EntryCode)
            request_.bytes[request_.length++] = b;
        if (!resendWhileSilent(remote::WaitOrdinary, remote::EntrySends)) return false;
        if (reply_.size() == 1 || (!reply_.empty() && reply_[0] == remote::ReplyAccepted))
            return true;
        if (!reply_.empty() && reply_[0] == remote::ReplyAlreadyInUpgrade) {
            ctx_.console.status(kAlreadyInUpgradeMode);
            return true;
        }
        failure_ = kFailedToEnter;
        ctx_.console.status(kFailedToEnter);
        return false;
    }

    bool writeApplication(PageBar& bar) {
        for (int a = remote::ApplicationFirst; a < remote::ApplicationLast;
             a += remote::BlockSize) {
            if (stopped()) return false;
            if (!writeBlock(a, {remote::BlockWrite, remote::BlockWrite})) {
                sayBlockFailed();
                return false;
            }
            bar.pageWritten();
            ctx_.units.page(address_, ++blocksWritten_, kBarPages);
        }
        return true;
    }

    // The vectors start the application: a remote whose vector block failed must not leave
    // its boot loader, so that the next run finds it there and writes it again.
    bool writeVectors(PageBar& bar) {
        if (!writeBlock(remote::VectorFirst, {remote::VectorHeadWrite, remote::VectorTailWrite})) {
            sayBlockFailed();
            return false;
        }
        bar.pageWritten();
        ctx_.units.page(address_, ++blocksWritten_, kBarPages);
        return true;
    }

    // The request of the block that the remote did not accept: unanswered, or refused with
    // the byte it gave instead of 07.
    void sayBlockFailed() {
        failure_ =
            reply_.empty() ? std::string(kNoResponse) : kWriteError + hexText::byte(reply_[0]);
        ctx_.console.status(failure_);
    }

    // Address, erase, then the writes one after the other from the set address. A request
    // that goes unanswered leaves unknown how far the remote got (a write it took has moved its
    // address on), so the block is sent again from its set-address: the same bytes erased and
    // written at the same place. A refusal is an answer and ends the block.
    bool writeBlock(int start, std::initializer_list<int> writes) {
        BlockRepeats repeats(extraAttempts(), kBlockFirstWrite + writes.size());
        for (;;) {
            const std::size_t failed = sendBlock(start, writes, repeats);
            if (failed == kBlockDone) return true;
            if (!reply_.empty() || stopped() || !repeats.another(failed)) return false;
        }
    }

    // The block once from its set-address; the request that was not accepted, or kBlockDone.
    std::size_t sendBlock(int start, std::initializer_list<int> writes, BlockRepeats& repeats) {
        if (!send({remote::RequestSetAddress, static_cast<std::uint8_t>(start >> 8),
                   static_cast<std::uint8_t>(start & 0xFF)}))
            return 0;
        repeats.answered(0);
        if (!send({remote::RequestEraseBlock})) return 1;
        repeats.answered(1);
        std::size_t step = kBlockFirstWrite;
        for (int n : writes) {
            request_.bytes[0] = remote::RequestWrite;
            FormatData(image_, request_, start, n);
            if (!sendRequest(remote::WaitOrdinary)) return step;
            repeats.answered(step++);
            start += n;
        }
        return kBlockDone;
    }

    // After leaving upgrade mode the remote restarts and may miss the first queries. Only its
    // application tells its version: a remote that gives none did not come back from its boot
    // loader (it missed the request to leave it), and the upgrade is not done.
    bool confirmVersion() {
        request_.bytes[0] = remote::RequestVersion;
        request_.length = 1;
        if (!resendWhileSilent(remote::WaitFinalVersion, remote::VersionSends + extraAttempts()))
            return false;
        if (reply_.size() != remote::VersionReplyBytes) return false;
        ctx_.console.status(kUpgradeOk);
        ctx_.units.confirmed(address_, VersionText(static_cast<std::uint16_t>(
                                           reply_[remote::VersionMajorIndex] << 8 |
                                           reply_[remote::VersionMinorIndex])));
        PageBar::unitConfirmed(ctx_.console, address_);
        return true;
    }

    // Sends the request up to sends times until the remote answers; false when stopped.
    bool resendWhileSilent(std::uint8_t waitCode, int sends) {
        sendRequest(waitCode);
        for (int sent = 1; reply_.empty() && sent < sends; ++sent) {
            if (stopped()) return false;
            sendRequest(waitCode);
        }
        return true;
    }

    bool send(std::initializer_list<std::uint8_t> bytes,
              std::uint8_t waitCode = remote::WaitOrdinary) {
        request_.length = 0;
        for (std::uint8_t b : bytes)
            request_.bytes[request_.length++] = b;
        return sendRequest(waitCode);
    }

    // True when the remote accepted: exactly one byte, 07.
    bool sendRequest(std::uint8_t waitCode) {
        TxMessageRemote(ctx_.link, address_, waitCode, request_, reply_);
        return reply_.size() == 1 && reply_[0] == remote::ReplyAccepted;
    }

    bool stopped() const { return ctx_.ended(); }
    int extraAttempts() const { return ctx_.link.extraAttempts(); }

    OperationContext& ctx_;
    FirmwareImage& image_;
    const std::string& address_;
    RemoteRequest request_;
    RemoteReply reply_;
    std::string failure_; // the line that said why, when one did
    int blocksWritten_ = 0;
};

} // namespace

void TxMessageRemote(Transaction& link, const std::string& address, std::uint8_t waitCode,
                     const RemoteRequest& request, RemoteReply& reply) {
    const TimeoutRetries use = waitCode == remote::WaitNone ? tr::FireAndForget : tr::RemoteRequest;
    const Reply text = link.TxMessage(
        address, cmd::passThrough(waitCode, std::span(request.bytes.data(), request.length)), use);
    reply = reply::passThroughBytes(text.text);
}

Outcome GoUpgradeRemote(UpgradeRun& run, const std::string& address, std::uint8_t productId) {
    return RemoteUpgrade(run.ctx, run.image, address).run(productId);
}
