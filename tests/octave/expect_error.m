function expect_error(nout, f, text)
  % Calls f with nout outputs and fails unless it ends with exactly the error text.
  try
    switch nout
      case 0
        f();
      case 1
        a = f();
      case 2
        [a, b] = f();
      otherwise
        [a, b, c] = f();
    end
  catch err
    if ~strcmp(err.message, text)
      error('expected error "%s", got "%s"', text, err.message);
    end
    return;
  end
  error('expected error "%s", but the call succeeded', text);
end
