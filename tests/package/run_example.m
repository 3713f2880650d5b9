function exChecked = run_example(exLines, exWhat)
  % Runs the lines of a help example in a workspace of their own (hence the ex* names). A line
  % "CODE   % is VALUE" must give VALUE, compared as full doubles, size included; returns how
  % many were checked.
  exChecked = 0;
  for exK = 1:numel(exLines)
    exParts = regexp(exLines{exK}, '^(.*?)\s+% is (.*)$', 'tokens', 'once');
    try
      if isempty(exParts)
        eval([exLines{exK} ';']);
        continue;
      end
      exGot = eval(exParts{1});
      exWant = eval(exParts{2});
    catch exErr
      error('%s: example line "%s" fails: %s', exWhat, exLines{exK}, exErr.message);
    end
    if ~isequal(size(exGot), size(exWant)) || ~isequaln(full(double(exGot)), double(exWant))
      error('%s: example line "%s" gives %s, the help says %s', exWhat, exParts{1}, ...
            mat2str(full(double(exGot))), exParts{2});
    end
    exChecked = exChecked + 1;
  end
end
