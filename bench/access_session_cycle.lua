-- wrk script: every connection (one per thread) runs register, lock, unlock and unregister
-- cycles. Run with as many threads as connections (-t5 -c5) so each thread owns one session.
-- There is one sensor lock, so lock and unlock requests meeting another session's lock answer
-- lockHeldByAnother; those are counted apart from real failures.
local step = 0
local session = nil
failures = 0
contended = 0
cycles = 0

local function format(method, path)
  return wrk.format(method, path, { ["Content-Length"] = "0" })
end

request = function()
  if step == 0 then
    return format("POST", "/1.0/register")
  elseif step == 1 then
    return format("POST", "/1.0/lock?session_id=" .. session)
  elseif step == 2 then
    return format("DELETE", "/1.0/lock?session_id=" .. session)
  end
  return format("DELETE", "/1.0/register?session_id=" .. session)
end

response = function(status, headers, body)
  if body:find('"status": "lockHeldByAnother"', 1, true) then
    contended = contended + 1
  elseif status ~= 200 or not body:find('"status": "success"', 1, true) then
    failures = failures + 1
  end
  if step == 0 then
    session = body:match('"sessionId": "([0-9a-f%-]+)"')
    if not session then
      return -- registration failed: try again
    end
  end
  step = (step + 1) % 4
  if step == 0 then
    cycles = cycles + 1
  end
end

local threads = {}

setup = function(thread)
  table.insert(threads, thread)
end

done = function(summary, latency, requests)
  local totalCycles, totalFailures, totalContended = 0, 0, 0
  for _, thread in ipairs(threads) do
    totalCycles = totalCycles + thread:get("cycles")
    totalFailures = totalFailures + thread:get("failures")
    totalContended = totalContended + thread:get("contended")
  end
  io.write(string.format("cycles %d failures %d contended %d seconds %.3f\n", totalCycles,
                         totalFailures, totalContended, summary.duration / 1e6))
end
