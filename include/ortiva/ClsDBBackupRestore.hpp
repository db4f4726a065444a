#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/management.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Backs up and restores whole databases of a server through the management seam: logs in to
/// a server, lists its backup devices, backs up a list of databases onto a device (one backup
/// set per database, in array order), lists the runs a device holds, and restores the
/// databases of a run.
///
/// The object owns one server object, created unconnected on first use (so an operation
/// before SetConnectionToServer fails with the backend's "not connected" error) and
/// disconnected when the object goes; a failing disconnect there is swallowed. Every
/// operation but fnListBackupDetails raises failures as ErrorInfo with the five values of
/// the failing call unchanged. Loop counters are 16-bit: passing 32767 fails with 6.
///
/// C++ callers create their own objects. An object is used from one thread at a time.
class ORTIVA_API ClsDBBackupRestore {
  public:
    ClsDBBackupRestore();
    /// Uses the given server object instead of the built-in backend's (nullptr: the default,
    /// created on first use).
    explicit ClsDBBackupRestore(std::unique_ptr<management::Server> server);
    ~ClsDBBackupRestore();
    ClsDBBackupRestore(const ClsDBBackupRestore&) = delete;
    ClsDBBackupRestore& operator=(const ClsDBBackupRestore&) = delete;

    /// Connects the server object with the server name, login and password as given. A second
    /// call connects again without disconnecting first.
    void SetConnectionToServer(const std::string& strSrvr, const std::string& strUser,
                               const std::string& strPasswd);

    /// Clears cboDevice (a combo box or list box) and adds the names of the server's backup
    /// devices in the server's order; with blnTape only those whose status is 5 (tape).
    void ListBackupDevice(HostObject& cboDevice, bool blnTape);

    /// Backs up each database named in arrDataBase (one dimension, lower bound 0) onto the
    /// device named strBackupDevice (not trimmed), in array order; blnInitialize starts the
    /// device afresh for the first database, every further set is appended. Stops at the first
    /// failure, the databases before it staying backed up. Returns true (an empty array backs
    /// up nothing) or throws.
    bool fnBackupDatabase(const std::string& strBackupDevice, bool blnInitialize,
                          const VariantArray& arrDataBase);

    /// Fills lvwBackupDetails (a list view with exactly five columns) with one line per run of
    /// D = ubound(arrDataBase) + 1 databases on the device: the first set of each run, at
    /// positions 1, 1 + D, 1 + 2D, ..., showing its database name, date ("dd/mm/yyyy"), time
    /// ("hh:mm:ss"), size and position ("Sl No"). Never throws: a failure is shown in a
    /// message box as its number followed by its description, and false is returned, as it is
    /// for a list view without five columns and for an empty database array. Returns whether
    /// the list holds a line.
    bool fnListBackupDetails(HostObject& lvwBackupDetails, const std::string& strBackupDevice,
                             const VariantArray& arrDataBase);

    /// Restores database i of arrDataBaseInBackupOrder from the set at position
    /// intFileNumber + i of the device named strBackupDevice (trimmed), in array order. Stops
    /// at the first failure, the databases before it staying restored. Returns true or
    /// throws.
    bool fnRestoreDatabase(const std::string& strBackupDevice, int16_t intFileNumber,
                           const VariantArray& arrDataBaseInBackupOrder);

    // ---- Host run time ----

    /// The host run time this object uses: the one handed to set_runtime, or else the process
    /// default (current_host_runtime()) as it is when each call starts.
    std::shared_ptr<HostRuntime> runtime() const {
        return runtime_ ? runtime_ : current_host_runtime();
    }
    /// Hands the object its own run time (a window, a session); nullptr goes back to the
    /// process default.
    void set_runtime(std::shared_ptr<HostRuntime> runtime) { runtime_ = std::move(runtime); }

  private:
    management::Server& server();

    std::unique_ptr<management::Server> server_;
    std::shared_ptr<HostRuntime> runtime_;
};

}  // namespace ortiva
